#include "Application.h"

#include "Dialogs.h"
#include "SysUtils.h"

#include <fstream>
#include <iterator>

namespace {
TApplication gApplication;

std::mutex gArgsMutex;
std::vector<std::string> gArgs;
bool gArgsSet = false;

// Without a recorded command line (tools, tests) the kernel's copy is the raw one.
std::vector<std::string> kernelCommandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> out;
    std::string cur;
    for (char c : all) {
        if (c == '\0') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}
}  // namespace

TApplication* Application = &gApplication;

// Here rather than with the boxes: a library that only shows boxes (the hooks) then carries
// no application object of its own.
void ShowMessage(const AnsiString& text) { MessageBox(text, Application->Title(), MB_OK); }

void TApplication::Initialize() {
    if (auto* b = backend_.load()) b->Initialize();
}

AnsiString TApplication::ExeName() const { return ProgramFileName(); }

AnsiString TApplication::Title() const {
    std::lock_guard lock(mutex_);
    return title_;
}

void TApplication::SetTitle(const AnsiString& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
}

TForm* TApplication::MainForm() const {
    auto* b = backend_.load();
    return b ? b->MainForm() : nullptr;
}

HWND TApplication::Handle() const {
    auto* b = backend_.load();
    return b ? b->Handle() : nullptr;
}

void TApplication::requireBackend() const {
    if (!backend_.load()) throw Exception("Forms need the class library; none is running");
}

void TApplication::adoptForm(TForm* form) { backend_.load()->AdoptForm(form); }

void TApplication::Run() {
    if (Terminated()) return;
    if (auto* b = backend_.load()) b->Run();
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

void TApplication::HandleMessage() {
    if (terminated_.load()) return;
    if (auto* b = backend_.load()) b->HandleMessage();
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

void TApplication::ShowException(const Exception& e) { ::MessageBox(e.Message, Title(), MB_OK | MB_ICONERROR); }

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        try {
            std::rethrow_exception(error);
        } catch (const Exception& e) {
            ShowException(e);
        } catch (const std::exception& e) {
            ShowException(Exception(e.what()));
        } catch (...) {
            ShowException(Exception(""));
        }
    } catch (...) {
        // The report itself failed (a responder that throws): nothing more can be done.
    }
}

void SetCommandLine(int argc, const char* const* argv) {
    std::lock_guard lock(gArgsMutex);
    gArgs.assign(argv, argv + argc);
    gArgsSet = true;
}

int ParamCount() {
    std::lock_guard lock(gArgsMutex);
    if (!gArgsSet) {
        gArgs = kernelCommandLine();
        gArgsSet = true;
    }
    return gArgs.empty() ? 0 : static_cast<int>(gArgs.size()) - 1;
}

AnsiString ParamStr(int index) {
    if (index == 0) return ProgramFileName();
    if (index < 0 || index > ParamCount()) return "";
    std::lock_guard lock(gArgsMutex);
    return Utf8ToAnsi(gArgs[static_cast<std::size_t>(index)]);
}
