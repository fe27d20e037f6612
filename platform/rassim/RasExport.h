#pragma once
// The service's sources are built with hidden visibility, so its own functions always bind
// to its own copy; only the entry points marked here are exported. (Its copy of the
// platform layer stays visible, so the program's platform functions take its place.)
#define VYN_RAS_EXPORT extern "C" __attribute__((visibility("default")))
