#pragma once
// The service exports only the entry points marked here (its CMakeLists.txt names the same
// list); everything else, its copy of the platform layer included, stays inside.
#define VYN_RAS_EXPORT extern "C" __attribute__((visibility("default")))
