#pragma once
// Sets a file's modification time to a local date-time of the system's own calendar, so file
// ages can be placed relative to the fake clock's Now.
#include "platform/SysUtils.h"

#include <string>

void SetFileModified(const std::string& nativePath, TDateTime localTime);
