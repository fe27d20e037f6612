// The test programs that need a UI thread but no window system: the pump serves as the UI
// thread's queue and the application's backend from before the first test to after the
// last.
#include "platform/Application.h"
#include "support/UiPump.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    SetCommandLine(argc, argv);
    UiPump::Instance().Start();
    int result = RUN_ALL_TESTS();
    UiPump::Instance().Stop();
    return result;
}
