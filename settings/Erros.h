#pragma once
// The failed-dial log: one fixed-width line in "erros.txt" beside the program per dial that
// ended in a dial-up error, posted record by record to the dialer service ("log.php") after
// the next connection and, once every record was accepted, rotated into "erros01.txt"
// (newest) .. "erros04.txt" (oldest).
//
// Line layout, 53 bytes and CR LF: date and time (19), login (16, blank-padded), area code
// (4, "0011", "-001"), dialled number (10, blank-padded), error code (4). The writer keeps
// every value inside its column, so the reader's fixed cuts always hold.
//
// Add is called by the dial paths (notification thread and UI thread), Send by the
// connected sequence; the file is guarded so that a line added during an upload is never
// rotated away unsent.
#include "Services.h"

#include "platform/AnsiString.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One failed dial, as its line holds it (text fields keep their padding).
struct erro {
    char datahora[20];
    char login[20];
    int32_t ddd;
    char telefone[12];
    int32_t coderr;
};

// Reads the records of a failed-dial file's bytes into `records`, as LoadFile reads them:
// CR LF read as LF, a line longer than the reader's buffer taken in pieces. A line whose
// number columns do not convert raises Exception with the conversion's message; `records`
// then holds the lines before it.
void ParseFailedDials(const std::string& bytes, std::vector<erro>& records);

class TErros {
public:
    // Uses the status log, the settings (the login) and the phone list (the area code).
    explicit TErros(const TServices& services);
    ~TErros();
    TErros(const TErros&) = delete;
    TErros& operator=(const TErros&) = delete;

    // Appends the line for a failed dial of `phone` with the dial-up error `errorCode`; the
    // login comes from the settings, the area code from the phone list.
    void Add(const AnsiString& phone, int errorCode);
    // Reads "erros.txt" into `records`; true when the whole file was read. A missing or
    // unreadable file is false with `records` untouched; a line whose number columns do not
    // convert shows the conversion's message in a box and gives false.
    bool LoadFile();
    // Loads, posts each record, and rotates when the service took them all with 200.
    void Send();
    // Drops "erros04.txt", moves 03 to 04, 02 to 03, 01 to 02 and "erros.txt" to "erros01.txt";
    // a rename never replaces an existing generation.
    static void RotateFiles();

    std::vector<erro> records;

private:
    // LoadFile's work; `loaded` receives the bytes of the file that were read.
    bool load(std::string& loaded);
    // Rotates after an upload of `sent` (the file as it was loaded), keeping in "erros.txt"
    // whatever was added since.
    void rotateAfterUpload(const std::string& sent);

    TLogger& log_;
    TConf& conf_;
    TXMLvyn& phones_;
    // Held while the file is appended to, read, or rotated; never across a request or a box.
    std::mutex fileMutex_;
};

extern TErros* Erros;
