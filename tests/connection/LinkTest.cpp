// The engine needs no window system: its test program runs without Qt loaded.
#include "support/LoadedObjects.h"

#include <gtest/gtest.h>

TEST(Link, TheEngineRunsWithoutQt) {
    struct {
        const char* library;
        bool loaded;
    } cases[] = {
        {"libc.so", true},  // the loader's list is the real one
        {"libQt6", false},
    };
    for (auto& c : cases) EXPECT_EQ(!LoadedObjectsNamed(c.library).empty(), c.loaded) << c.library;
}
