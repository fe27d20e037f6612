// The real message box is replaced for the dialog tests: a box the tests do not answer
// themselves is only recorded (messages.log) and answered as if OK or Cancel were pressed.
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

namespace {
class BoxesRecordedOnly : public ::testing::Environment {
public:
    void SetUp() override {
        SetMessageBoxPresenter(
            [](const MessageBoxRequest& r) { return (r.flags & MB_TYPEMASK) == MB_OK ? int(IDOK) : int(IDCANCEL); });
    }
};
[[maybe_unused]] ::testing::Environment* const kBoxes = ::testing::AddGlobalTestEnvironment(new BoxesRecordedOnly);
}  // namespace
