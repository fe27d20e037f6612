#pragma once
// Message boxes for code that has no window system of its own (the hook libraries): on a
// machine with a desktop and a display, the box is shown by the helper program laid out
// beside the libraries, and the caller waits for it. The helper is called
//     vyn-messagebox <flags> <caption> <text>
// with the flags in decimal and the caption and text as the lowercase hex digits of their
// 1252 bytes: nothing its window system could take for an option of its own, and the text
// reaches Unicode only inside the helper. Its exit code is the answer (IDOK, IDCANCEL,
// IDYES, IDNO), 0 when it has none.
#include "Dialogs.h"

#include <string>
#include <vector>

inline constexpr const char* kBoxHelperName = "vyn-messagebox";

std::vector<std::string> BoxHelperArguments(const MessageBoxRequest& request);
// The helper's side; false for anything but three well-formed arguments.
bool ParseBoxHelperArguments(const std::vector<std::string>& args, MessageBoxRequest& request);

// Whether boxes go to the helper: a display (DISPLAY or WAYLAND_DISPLAY not empty) on a
// machine with a desktop (test machines have none).
bool BoxHelperWanted();
// Shows the box through the helper and waits for it (any thread); the answer, or 0 when the
// helper could not run or gave none.
int PresentWithBoxHelper(const MessageBoxRequest& request);

// The helper's path: beside the module that holds this layer, else beside the program.
// Tests may name another; "" goes back to looking.
std::string BoxHelperPath();
void SetBoxHelperPath(const std::string& path);
