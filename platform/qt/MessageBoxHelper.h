#pragma once
// The work of the message-box helper program (vyn-messagebox; platform/BoxHelper.h has its
// arguments): shows the box as the class library shows its own and returns the code of the
// button pressed, or 0 for arguments it cannot read (nothing is shown). Needs the Qt
// application, on its thread.
#include <string>
#include <vector>

int RunMessageBoxHelper(const std::vector<std::string>& args);
