#include "RecordFields.h"

#include <algorithm>
#include <cstring>

void CopyField(char* field, std::size_t size, const AnsiString& text) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

bool Terminated(const char* field, std::size_t size) { return std::memchr(field, 0, size) != nullptr; }

AnsiString FieldText(const char* field, std::size_t size) {
    const void* zero = std::memchr(field, 0, size);
    return AnsiString(field, zero ? static_cast<const char*>(zero) - field : size);
}
