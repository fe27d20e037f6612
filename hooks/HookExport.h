#pragma once
// The hook libraries export only the entry points marked here (hooks/CMakeLists.txt names
// the same list); everything else, their copy of the platform layer included, stays inside.
#define VYN_HOOK_EXPORT extern "C" __attribute__((visibility("default")))
