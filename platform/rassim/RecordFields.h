#pragma once
// Text fields of the fixed-size RAS records.
#include "platform/AnsiString.h"

#include <cstddef>

// Copies `text` into a field of `size` bytes, cut to size - 1 and zero-terminated.
void CopyField(char* field, std::size_t size, const AnsiString& text);
// Whether the field holds its terminating zero within its size, as every text field must.
bool Terminated(const char* field, std::size_t size);
// The field's text up to its zero (the whole field when it has none).
AnsiString FieldText(const char* field, std::size_t size);

#define VYN_FIELD(record, field) (record).field, sizeof((record).field)
