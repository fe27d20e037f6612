// A host program with functions of its own under the names the platform layer uses (its
// registry, shell, message boxes and machine directory), exported as a program that shares
// its symbols does. None of them may run when a hook library is called: each says so on the
// standard output and fails.
#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/ShellApi.h"

#include <cstdio>

namespace {
void say(const char* name) {
    std::printf("host's own %s\n", name);
    std::fflush(stdout);
}
}  // namespace

std::string MachineDir() {
    say("MachineDir");
    return "/nonexistent/host";
}

std::string MachineFile(const std::string& name) {
    say("MachineFile");
    return "/nonexistent/host/" + name;
}

int MessageBox(const AnsiString&, const AnsiString&, unsigned) {
    say("MessageBox");
    return IDCANCEL;
}

intptr_t ShellExecuteA(void*, const AnsiString&, const AnsiString&, const AnsiString&, const AnsiString&, int) {
    say("ShellExecuteA");
    return SE_ERR_FNF;
}

intptr_t FindExecutableA(const char*, const char*, char* result) {
    say("FindExecutableA");
    if (result) *result = 0;
    return SE_ERR_FNF;
}

bool TRegistry::OpenKey(const AnsiString&, bool) {
    say("TRegistry::OpenKey");
    return false;
}
