#include "Callui.h"

#include "platform/WinNls.h"

#include <memory>

TCallUI::TCallUI(bool createSuspended) : TThread(createSuspended) {
    FreeOnTerminate = true;
    SetPriority(tpHigher);
}

void TCallUI::Execute() {
    NameThreadForDebugging("CallUI");
    StartDialerProgram();
}

bool StartCallUI(const AnsiString&) {
    try {
        NewThread<TCallUI>(false);
        return true;
    } catch (...) {
        return false;
    }
}

AnsiString EntryNameText(LPCSTR name) { return name ? AnsiString(name) : AnsiString(); }

AnsiString EntryNameText(LPCWSTR name) {
    if (!name) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    auto text = std::make_unique<char[]>(static_cast<std::size_t>(size));
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, text.get(), size, nullptr, nullptr) != size) return {};
    return AnsiString(text.get());  // up to the converted zero
}
