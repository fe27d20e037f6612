#pragma once
// The message-box point. Every box is recorded in the simulated machine's "messages.log";
// its answer comes from, in order: an in-process responder (tests), the next line of the
// machine's "message-answers.txt" (process tests), the presenter the class-library layer
// installs (a real dialog), or the default (OK / cancel).
#include "AnsiString.h"
#include <functional>
#include <vector>

enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONHAND = MB_ICONERROR,
    MB_TYPEMASK = 0x0F,
    MB_TASKMODAL = 0x2000,  // no owner window: the calling thread waits for the answer
    // Not the platform's: marks a form shown modally (recorded and answered like a box).
    MB_MODALFORM = 0x10000000,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
    AnsiString text;
    AnsiString caption;
    unsigned flags = MB_OK;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags);
// The same answer point for anything modal: a form's ShowModal passes what it shows and
// its own modal loop as `present`, used when no responder or scripted answer replies.
int AskModal(const MessageBoxRequest& request, const MessageBoxHandler& present);
// The class library's plain notice: OK button, the application title as caption.
void ShowMessage(const AnsiString& text);

void SetMessageBoxResponder(MessageBoxHandler responder);  // tests; empty to remove
void SetMessageBoxPresenter(MessageBoxHandler presenter);  // the class-library layer
// When set, boxes answer IDCANCEL at once without showing (the application is ending).
void SetMessageBoxesSuppressed(bool suppressed);

// What "messages.log" holds, parsed back (for tests).
std::vector<MessageBoxRequest> RecordedMessageBoxes();
