#pragma once
// The connection report posted to the dialer service after each connection, and the form
// encoding that the provider's posts share.
#include "Services.h"

#include "platform/AnsiString.h"

// One piece of a form body: name "=" value, and "&" when `separator`. Blank, "*", "#", "%",
// "<", ">" and bytes 0x80-0xFF become "%XX" (upper-case hex, a blank is "%20", never "+").
// Inside the value "&", "=", "+", bytes below 0x20 and 0x7F are escaped too, so a value can
// never add a field; the name, the "=" and the separator stay literal.
AnsiString EncodeFormPiece(const AnsiString& name, const AnsiString& value, bool separator);

class TLogCon {
public:
    // Uses the status log.
    explicit TLogCon(const TServices& services);

    // Posts "dis_login", "dis_version" and "dis_tel" to "conexao.php", every piece ending in
    // "&". The reply is not looked at; an error becomes its message as one status line.
    void Send(AnsiString login, AnsiString version, AnsiString phone);

private:
    TLogger& log_;
};

extern TLogCon* LogCon;
