#pragma once
// The provider's host names, pages and national access number, in one place. The production
// names are not ours to publish; these live under the reserved ".example" domain, and the
// simulated machine's "hosts.txt" says where each one leads.
#include "platform/AnsiString.h"

inline const AnsiString kDialerServiceHost = "discador.vyn.example";
inline const AnsiString kMailHost = "pop.vyn.example";

// The dialer service's pages all live under one base path of its host.
inline const AnsiString kDialerServicePath = "/private/corvala/";
inline AnsiString DialerServiceUrl(const AnsiString& page) {
    return "http://" + kDialerServiceHost + kDialerServicePath + page;
}

// The telecom company's web site: its home page opens after each connection.
inline const AnsiString kTelecomHost = "www.telecom.example";
inline AnsiString TelecomHomePage() { return "http://" + kTelecomHost + "/"; }

// The mail domain shown after "@" beside a login.
inline const AnsiString kMailDomain = "vyn.example";

// The provider's own web site: downloads, support and the user centre.
inline const AnsiString kProviderWebHost = "www.vyn.example";
inline AnsiString ProviderPage(const AnsiString& pathAndQuery) { return "http://" + kProviderWebHost + pathAndQuery; }

// The provider's secure web host: the sign-up page for new users.
inline const AnsiString kProviderSecureHost = "seguro.vyn.example";
inline AnsiString SignUpPage() { return "https://" + kProviderSecureHost + "/cadastro/private/corvala/cadastro.php"; }

// The provider's national access number over the ordinary phone line: the number a new
// phonebook entry of the conventional-line edition holds until a city is chosen.
inline const AnsiString kNationalAccessNumber = "40030000";
