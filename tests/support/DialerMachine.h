#pragma once
// The machine the engine and window tests dial on: one modem, the dial-up service beside
// the stand-in program, the test program linked in as "Mirvane.exe" (it carries the version
// block), "." as the thousands separator, the dialer service at `http`, and no mail server.
class HttpTestServer;
class TempMachine;

void PrepareDialerMachine(TempMachine& machine, const HttpTestServer& http);
