#include "ShellLog.h"

#include "platform/ShellApi.h"

std::vector<ShellLine> ShellLog() {
    std::vector<ShellLine> out;
    for (const ShellCall& c : RecordedShellCalls())
        out.push_back({c.operation, c.file, c.parameters, c.directory, c.showCmd, static_cast<long>(c.result)});
    return out;
}
