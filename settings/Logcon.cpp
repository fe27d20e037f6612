#include "Logcon.h"

#include "Hosts.h"
#include "Log.h"

#include "platform/HttpClient.h"

#include <memory>

TLogCon* LogCon = nullptr;

namespace {
bool alwaysEscaped(unsigned char c) {
    return c == ' ' || c == '*' || c == '#' || c == '%' || c == '<' || c == '>' || c >= 0x80;
}

bool escapedInValue(unsigned char c) { return c == '&' || c == '=' || c == '+' || c < 0x20 || c == 0x7F; }

void append(AnsiString& out, const AnsiString& text, bool value) {
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if (alwaysEscaped(c) || (value && escapedInValue(c))) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
}
}  // namespace

AnsiString EncodeFormPiece(const AnsiString& name, const AnsiString& value, bool separator) {
    AnsiString out;
    out.reserve(name.size() + value.size() + 2);
    append(out, name, false);
    out += '=';
    append(out, value, true);
    if (separator) out += '&';
    return out;
}

TLogCon::TLogCon(const TServices& services) : log_(services.Log()) {}

void TLogCon::Send(AnsiString login, AnsiString version, AnsiString phone) {
    try {
        auto http = std::make_unique<THttpClient>();
        std::string body;
        body += EncodeFormPiece("dis_login", login, true);
        body += EncodeFormPiece("dis_version", version, true);
        body += EncodeFormPiece("dis_tel", phone, true);
        std::string reply;
        http->ContentType = "application/x-www-form-urlencoded";
        http->Post(DialerServiceUrl("conexao.php"), body, reply);
    } catch (const Exception& e) {
        log_.Add(e.Message);
    }
}
