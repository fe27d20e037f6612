#pragma once
// Text a server sent (an HTTP reason phrase, a POP3 server's words), made fit for a status
// line: each control byte becomes "?" (a tab a blank) and at most kServerTextShown bytes
// are kept, "..." marking a cut. Every client passes server text through it before the text
// goes into an error message.
#include "AnsiString.h"

#include <cstddef>
#include <string_view>

constexpr std::size_t kServerTextShown = 160;

AnsiString ServerText(std::string_view text);
