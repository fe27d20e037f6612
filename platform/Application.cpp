#include "Application.h"

#include "Dialogs.h"
#include "SysUtils.h"

namespace {
TApplication gApplication;
}
TApplication* Application = &gApplication;

AnsiString TApplication::ExeName() const { return ProgramFileName(); }

AnsiString TApplication::Title() const {
    std::lock_guard lock(mutex_);
    return title_;
}

void TApplication::SetTitle(const AnsiString& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
}

void TApplication::Terminate() {
    terminated_.store(true);
    SetMessageBoxesSuppressed(true);
    if (auto* b = backend_.load()) b->Terminate();
}

void TApplication::ResetTerminated() {
    terminated_.store(false);
    SetMessageBoxesSuppressed(false);
}

void TApplication::ProcessMessages() {
    if (auto* b = backend_.load()) b->ProcessMessages();
}

void TApplication::Minimize() {
    if (auto* b = backend_.load()) b->Minimize();
}

void TApplication::Restore() {
    if (auto* b = backend_.load()) b->Restore();
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
    return ::MessageBox(text, caption, flags);
}
