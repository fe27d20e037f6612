#pragma once
// The program's own file version, and the check for a newer one on the dialer service: when
// the provider offers a newer version the user is asked, and on consent the installer's
// address is opened in the browser.
#include "Services.h"

#include "platform/AnsiString.h"
#include "platform/HttpClient.h"

#include <memory>
#include <string>

class TVersao {
public:
    // Reads the program file's version. Uses the status log.
    explicit TVersao(const TServices& services);
    ~TVersao();
    TVersao(const TVersao&) = delete;
    TVersao& operator=(const TVersao&) = delete;

    // The text before the last character that is one of `delimiters`; the whole text when
    // none occurs.
    static AnsiString CutAtLastDelimiter(AnsiString text, AnsiString delimiters);
    // Versions already cut: numerically component by component when both are dotted digits
    // ("1.10.0" is newer than "1.9.0"; a missing component counts as 0), otherwise byte-wise.
    static bool IsNewer(const AnsiString& remote, const AnsiString& local);
    // True only when the user accepted and the installer's address was handed to the shell.
    bool CheckNewVersion();

private:
    void ReadOwnVersion();

    TLogger& log_;
    std::unique_ptr<THttpClient> httpClient;
    std::string response;

public:
    // The program file's "FileVersion" ("1.3.0.28"); empty when it cannot be read.
    AnsiString localVersion;
};
