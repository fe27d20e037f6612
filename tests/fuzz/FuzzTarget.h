#pragma once
// A fuzz target: one parser of hostile input, fed bytes. Built with clang and libFuzzer each
// target is a program of its own (fuzz_<name>); in the ordinary build every target is
// registered by name and the replay test feeds it its committed corpus
// (tests/fuzz/corpus/<name>/), so what was found once stays checked.
#include <cstddef>
#include <cstdint>
#include <string>

using FuzzFunction = void (*)(const uint8_t* data, std::size_t size);
bool RegisterFuzzTarget(const char* name, FuzzFunction function);
FuzzFunction FindFuzzTarget(const std::string& name);

// The simulated machine the targets run on: a fresh folder per process, removed at its end,
// with a program folder beside "Mirvane.exe" and no desktop.
struct FuzzMachine {
    std::string dir;
    std::string programDir;
};
const FuzzMachine& TheFuzzMachine();
void WriteFuzzFile(const std::string& path, const uint8_t* data, std::size_t size);

// A property every input must keep; a failure aborts, which both libFuzzer and the replay
// report with the input.
[[noreturn]] void FuzzCheckFailed(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition) ((condition) ? void(0) : FuzzCheckFailed(#condition, __FILE__, __LINE__))

#ifdef VYN_LIBFUZZER
#define VYN_FUZZ_TARGET(function, name)                                            \
    static void function(const uint8_t*, std::size_t);                             \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) { \
        function(data, size);                                                      \
        return 0;                                                                  \
    }                                                                              \
    static void function(const uint8_t* data, std::size_t size)
#else
#define VYN_FUZZ_TARGET(function, name)                                                           \
    static void function(const uint8_t*, std::size_t);                                            \
    [[maybe_unused]] static const bool function##Registered = RegisterFuzzTarget(name, function); \
    static void function(const uint8_t* data, std::size_t size)
#endif
