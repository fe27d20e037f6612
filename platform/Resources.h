#pragma once
// Named resources of the program, in place of the platform's resource section: files the
// build embeds with vyn_embed_resources (cmake/Vyn.cmake) and the code finds by name ("SND1",
// "BMP1"), case ignored as the platform's resource names are.
#include "AnsiString.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// The bytes of the named resource; nothing when the program holds none by that name.
std::optional<std::string_view> FindResource(const AnsiString& name);
// Every name held, upper-case and sorted.
std::vector<AnsiString> ResourceNames();

// Called by the generated sources before main. When a name comes twice, the first stays.
void RegisterResource(const char* name, const unsigned char* data, std::size_t size);
