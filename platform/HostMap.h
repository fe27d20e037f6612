#pragma once
// Where the provider's host names lead on the simulated machine: "hosts.txt" in the machine
// directory, one "name address:port" per line ("#" starts a comment; a line whose port is
// outside 1-65535 counts for nothing). Clients keep the host name in the URL and the Host
// header and only connect elsewhere.
#include "AnsiString.h"
#include <string>

struct HostTarget {
    std::string address;  // numeric address to connect to
    int port = 0;
};

// The target of `host` (case ignored) with `defaultPort`; a host that is not listed leads
// to itself on the default port.
HostTarget ResolveHost(const AnsiString& host, int defaultPort);
