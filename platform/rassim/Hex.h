#pragma once
// Raw bytes as lower-case hexadecimal text, as the service's files and its call log hold
// them, and back.
#include <string>
#include <string_view>

std::string ToHex(std::string_view bytes);
// False when the text is not an even number of hexadecimal digits.
bool FromHex(std::string_view hex, std::string& bytes);
