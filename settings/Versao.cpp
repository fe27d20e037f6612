#include "Versao.h"

#include "Hosts.h"
#include "Log.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/ShellApi.h"
#include "platform/SysUtils.h"
#include "platform/VersionInfo.h"

#include <cstring>
#include <vector>

namespace {
bool isDottedDigits(const AnsiString& s) {
    if (s.empty() || s.front() == '.' || s.back() == '.') return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '.') {
            if (s[i + 1] == '.') return false;
        } else if (s[i] < '0' || s[i] > '9') {
            return false;
        }
    }
    return true;
}

std::vector<AnsiString> components(const AnsiString& s) {
    std::vector<AnsiString> out;
    std::size_t start = 0;
    for (;;) {
        auto dot = s.find('.', start);
        AnsiString c = s.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
        c.erase(0, std::min(c.find_first_not_of('0'), c.size()));  // no overflow: compare as digits
        out.push_back(c);
        if (dot == AnsiString::npos) return out;
        start = dot + 1;
    }
}

int compareNumbers(const AnsiString& a, const AnsiString& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}
}  // namespace

TVersao::TVersao(const TServices& services) : log_(services.Log()), httpClient(std::make_unique<THttpClient>()) {
    ReadOwnVersion();
}

TVersao::~TVersao() = default;

void TVersao::ReadOwnVersion() {
    AnsiString file = Application->ExeName();
    unsigned handle = 0;
    unsigned size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0) return;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoA(file, handle, size, block.data())) return;
    void* value = nullptr;
    unsigned length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) return;
    uint32_t translation;
    std::memcpy(&translation, value, sizeof translation);
    AnsiString path = Format("\\StringFileInfo\\%04x%04x\\FileVersion", translation & 0xFFFF, translation >> 16);
    if (VerQueryValueA(block.data(), path, &value, &length))
        localVersion = AnsiString(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
}

AnsiString TVersao::CutAtLastDelimiter(AnsiString text, AnsiString delimiters) {
    auto at = text.find_last_of(delimiters);
    return at == AnsiString::npos ? text : text.substr(0, at);
}

bool TVersao::IsNewer(const AnsiString& remote, const AnsiString& local) {
    if (!isDottedDigits(remote) || !isDottedDigits(local)) return remote > local;
    auto r = components(remote), l = components(local);
    for (std::size_t i = 0; i < std::max(r.size(), l.size()); ++i) {
        int c = compareNumbers(i < r.size() ? r[i] : "", i < l.size() ? l[i] : "");
        if (c != 0) return c > 0;
    }
    return false;
}

bool TVersao::CheckNewVersion() {
    try {
        httpClient->Get(DialerServiceUrl("versao.php"), response);
        if (httpClient->ResponseCode() != 200) return false;
        AnsiString text(response.c_str());  // up to the first zero byte
        auto first = text.find('*');
        if (first == AnsiString::npos) return false;
        AnsiString rest = text.substr(first + 1);
        auto second = rest.find('*');
        if (second == AnsiString::npos) return false;
        AnsiString remote = rest.substr(0, second);
        if (!IsNewer(CutAtLastDelimiter(remote, "."), CutAtLastDelimiter(localVersion, "."))) return false;
        int answer = Application->MessageBox("Existe uma nova versão do discador. Você deseja instalar?"_a,
                                             "Ruvozava Corvala", MB_YESNO);
        if (answer != IDYES) return false;
        ShellExecuteA(nullptr, "open", DialerServiceUrl("instalardiscadorcorvala.exe"), "", "", SW_SHOWNORMAL);
        return true;
    } catch (const Exception&) {
        log_.Add("Ocorreu um erro ao checar novas atualizações"_a);
        return false;
    }
}
