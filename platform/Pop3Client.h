#pragma once
// In place of the internet components' POP3 client, with just what counting a mailbox needs:
// the greeting, USER and PASS, STAT and QUIT over a plain TCP socket. Nothing else is ever
// sent (no CAPA, no APOP even when the greeting offers a timestamp).
//
// Errors raise Exception with the text the user sees after "Checar e-mail: ": the server's
// own words for a refused command (what follows "-ERR ", as ServerText makes it fit for a
// status line), a socket error text otherwise. A request stop (RequestStop.h) of the
// calling thread ends a conversation in its next wait.
// After any error the connection is closed at once, without QUIT, so the next use starts
// fresh. Time-outs are measured on the program's clock (platform/Clock.h), so a test runs
// the full 30 s by advancing its clock.
//
// One client per user at a time: an instance may live on any thread, but is not shared.
#include "AnsiString.h"

class TIdPOP3 {
public:
    TIdPOP3() = default;
    ~TIdPOP3();  // closes a connection still open, without QUIT
    TIdPOP3(const TIdPOP3&) = delete;
    TIdPOP3& operator=(const TIdPOP3&) = delete;

    AnsiString Host;  // the name the user knows; the simulated machine says where it leads
    int Port = 110;
    AnsiString UserId;
    AnsiString Password;
    int ConnectTimeout = 30000;  // ms to establish the TCP connection
    int ReadTimeout = 30000;     // ms to wait for each reply line

    // Opens the connection, reads the greeting and logs in with USER and PASS. A login or
    // password holding CR, LF or NUL is refused before anything is opened.
    void Connect();
    bool Connected() const { return fd_ >= 0; }
    // STAT: the first number of the "+OK" reply. A reply without a count is an error.
    int CheckMessages();
    // QUIT and close. Never raises: the count read before stays good whatever QUIT meets.
    // True when the server answered "+OK"; otherwise DisconnectError() says what went wrong.
    // Nothing is sent when not connected (and the result is true).
    bool Disconnect();
    const AnsiString& DisconnectError() const { return disconnectError_; }

private:
    void sendCommand(const AnsiString& line);    // raises after closing
    AnsiString readLine();                       // raises after closing
    AnsiString command(const AnsiString& line);  // send, read, "+OK" or raise
    AnsiString expectOk(const AnsiString& reply);
    void waited(int outcome);  // raises for a wait that did not end ready
    [[noreturn]] void fail(const AnsiString& message);
    void close();

    int fd_ = -1;
    std::string buffer_;  // bytes received after the last complete line
    AnsiString disconnectError_;
};
