// Built into the test programs of the layers that need no window system: they run without
// Qt loaded.
#include "support/LoadedObjects.h"

#include <gtest/gtest.h>

TEST(Link, RunsWithoutQt) {
    struct {
        const char* library;
        bool loaded;
    } cases[] = {
        {"libc.so", true},  // the loader's list is the real one
        {"libQt6", false},
    };
    for (auto& c : cases) EXPECT_EQ(!LoadedObjectsNamed(c.library).empty(), c.loaded) << c.library;
}
