#include "Erros.h"

#include "Conf.h"
#include "Hosts.h"
#include "Log.h"
#include "Logcon.h"
#include "Xmlvyn.h"

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/HttpClient.h"
#include "platform/SysUtils.h"
#include "platform/UiThread.h"

#include <algorithm>
#include <cstring>
#include <memory>

TErros* Erros = nullptr;

namespace {
constexpr std::size_t kLoginWidth = 16;
constexpr std::size_t kPhoneWidth = 10;
// The reader takes at most this many bytes of a line at a time, as its 1024-byte buffer did.
constexpr std::size_t kMaxRead = 1023;

AnsiString folder() { return ExtractFileDir(Application->ExeName()); }
AnsiString errosPath() { return folder() + "\\erros.txt"; }
AnsiString generationPath(int n) { return Format("%s\\erros%02d.txt", folder().c_str(), n); }

// A text column: line breaks (and NUL, which would end the text early) become blanks, and
// the value is cut to the column so that the columns after it stay in place.
AnsiString column(AnsiString value, std::size_t width) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    if (value.size() > width) value.resize(width);
    return value;
}

// A four-column number: "%04d" fits -999 .. 9999.
int fourColumns(int value) { return std::clamp(value, -999, 9999); }

void copyField(char* field, std::size_t size, const AnsiString& text) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// The pieces the reader takes, as reading the file in text mode gives them: CR LF is read
// as LF, and a line longer than the buffer comes in several reads.
std::vector<std::string> reads(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
        end = std::min(end, pos + kMaxRead);
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

// Columns `first` .. `first + width - 1` (from 1), shorter where the line is.
std::string cut(const std::string& line, std::size_t first, std::size_t width) {
    if (first - 1 >= line.size()) return {};
    return line.substr(first - 1, width);
}

class EConvertError : public Exception {
    using Exception::Exception;
};

int32_t toInt(const std::string& text) {
    long long v = 0;
    // A column cut short by the line end ("067" LF) is no number: the line end is not a
    // blank around one.
    bool lineEnd = text.find_first_of("\r\n") != std::string::npos;
    if (lineEnd || !TryStrToInt(text, v)) {
        std::string shown = text;
        std::erase(shown, '\n');
        throw EConvertError("'" + shown + "' is not a valid integer value");
    }
    return static_cast<int32_t>(v);
}

erro parse(const std::string& line) {
    erro r{};
    copyField(r.datahora, sizeof r.datahora, cut(line, 1, 19));
    copyField(r.login, sizeof r.login, cut(line, 20, kLoginWidth));
    r.ddd = toInt(cut(line, 36, 4));
    copyField(r.telefone, sizeof r.telefone, cut(line, 40, kPhoneWidth));
    r.coderr = toInt(cut(line, 50, 4));
    return r;
}
}  // namespace

void ParseFailedDials(const std::string& bytes, std::vector<erro>& records) {
    for (const std::string& line : reads(bytes)) records.push_back(parse(line));
}

TErros::TErros(const TServices& services)
    : log_(services.Log()), conf_(services.Settings()), phones_(services.Phones()) {}

TErros::~TErros() = default;

void TErros::Add(const AnsiString& phone, int errorCode) {
    AnsiString login = conf_.GetUser();
    int ddd = phones_.GetDDD();
    AnsiString line = Format("%19s%-16s%04d%-10s%04d\r\n", FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()).c_str(),
                             column(login, kLoginWidth).c_str(), fourColumns(ddd), column(phone, kPhoneWidth).c_str(),
                             fourColumns(errorCode));
    std::lock_guard lock(fileMutex_);
    try {
        AppendToFile(errosPath(), line);
    } catch (const EFOpenError&) {
        log_.Add("Ocorreu um erro ao abrir arquivo de erros.");
    } catch (const Exception&) {
        // A short write, or a flush or close that failed (a full disk).
        log_.Add("Ocorreu um erro ao gravar arquivo de erros.");
    }
}

bool TErros::LoadFile() {
    std::string loaded;
    return load(loaded);
}

bool TErros::load(std::string& loaded) {
    AnsiString message;
    {
        std::lock_guard lock(fileMutex_);
        AnsiString path = errosPath();
        if (!FileExists(path)) return false;
        records.clear();
        if (!TryReadWholeFile(path, loaded)) return false;
        records.reserve(20);
        try {
            ParseFailedDials(loaded, records);
            return true;
        } catch (const Exception& e) {
            message = e.Message;
        }
    }
    // The box waits for the user: the file is free again meanwhile.
    RunOnUiThread([&] { ShowMessage(message); });
    return false;
}

void TErros::Send() {
    std::string loaded;
    if (!load(loaded)) return;
    try {
        auto http = std::make_unique<THttpClient>();
        bool accepted = true;
        for (const erro& r : records) {
            std::string body;
            body += EncodeFormPiece("dis_datahora", r.datahora, true);
            body += EncodeFormPiece("dis_login", r.login, true);
            body += EncodeFormPiece("dis_ddd", IntToStr(r.ddd), true);
            body += EncodeFormPiece("dis_telefone", r.telefone, true);
            body += EncodeFormPiece("dis_coderr", IntToStr(r.coderr), false);
            std::string reply;
            http->ContentType = "application/x-www-form-urlencoded";
            http->Post(DialerServiceUrl("log.php"), body, reply);
            if (http->ResponseCode() != 200) {
                accepted = false;
                break;
            }
        }
        if (accepted) rotateAfterUpload(loaded);
    } catch (const Exception& e) {
        log_.Add(e.Message);
    }
}

void TErros::rotateAfterUpload(const std::string& sent) {
    std::lock_guard lock(fileMutex_);
    AnsiString path = errosPath();
    std::string now;
    bool present = TryReadWholeFile(path, now);
    // Replaced or cut short meanwhile: what is there now was not what was sent.
    if (present && now.compare(0, sent.size(), sent) != 0) return;
    RotateFiles();
    if (!present || now.size() == sent.size() || FileExists(path)) return;
    // Lines added during the upload: the new generation keeps what was sent, and the
    // unsent lines start the next "erros.txt".
    WriteWholeFile(path, std::string_view(now).substr(sent.size()));
    WriteWholeFile(generationPath(1), sent);
}

void TErros::RotateFiles() {
    if (FileExists(generationPath(4))) DeleteFile(generationPath(4));
    for (int n = 3; n >= 1; --n)
        if (FileExists(generationPath(n))) RenameFile(generationPath(n), generationPath(n + 1));
    RenameFile(errosPath(), generationPath(1));
}
