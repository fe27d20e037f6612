#pragma once
// The hook libraries' sources are built with hidden visibility, so they bind to their own
// code; only the entry points marked here are exported. (Their copy of the platform layer
// stays visible, so a program that exports its own platform functions shares them.)
#define VYN_HOOK_EXPORT extern "C" __attribute__((visibility("default")))
