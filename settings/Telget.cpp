#include "Telget.h"

#include "Hosts.h"
#include "Log.h"
#include "Xmltest.h"

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/SysUtils.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {
constexpr std::size_t kExpectedListBytes = std::size_t{1} << 20;

// Whole days from `then` to `now`, truncated toward zero; counted in milliseconds so that a
// file exactly a day old is a day old despite the fractions.
long long wholeDays(TDateTime then, TDateTime now) {
    long long ms = std::llround((now - then) * 86400000.0);
    return ms / 86400000;
}
}  // namespace

TTelGet::TTelGet(const TServices& services) : log_(services.Log()), httpClient(std::make_unique<THttpClient>()) {
    // The body is stored as it comes, compressed or plain: at most what the list may be
    // decompressed. Its deadline is that of a list a few times a country's size.
    httpClient->MaxReplyBytes = kMaxPhoneListBytes;
    httpClient->ExpectedBytes = kExpectedListBytes;
}

TTelGet::~TTelGet() = default;

void TTelGet::Update() {
    try {
        AnsiString dir = ExtractFileDir(Application->ExeName());
        AnsiString tels = dir + "\\tels";
        AnsiString temp = dir + "\\telstemp";
        int age = FileAge(tels);
        if (age == -1) return;
        if (wholeDays(FileDateToDateTime(age), Now()) < 1) return;

        httpClient->Get(DialerServiceUrl("tels"), response);
        if (httpClient->ResponseCode() != 200) {
            log_.Add("Ocorreu um erro ao receber o arquivo de telefones."_a);
            return;
        }
        WriteWholeFile(temp, response);
        auto test = std::make_unique<TXMLtest>();
        if (!test->Test("telstemp")) {
            AnsiString why = PhoneListBoundText(test->Outcome());
            log_.Add("Arquivo de telefones recebido é inválido."_a + (why.empty() ? "" : " " + why));
            return;
        }
        // One rename over the old list: it is either replaced whole or left as it was.
        if (!ReplaceFile(temp, tels)) {
            AnsiString why = Utf8ToAnsi(std::strerror(errno));
            throw Exception("Cannot rename file \"" + temp + "\" to \"" + tels + "\". " + why);
        }
        log_.Add("Arquivo de telefones atualizado."_a);
    } catch (const Exception& e) {
        log_.Add("Ocorreu um erro ao receber o arquivo de telefones:\n"_a + e.Message);
    } catch (const std::exception& e) {
        log_.Add("Ocorreu um erro ao receber o arquivo de telefones:\n"_a + e.what());
    }
}
