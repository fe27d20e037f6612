// The dial script's parser as a unit: a rule repeated with "times" takes the room of one.
#include "platform/rassim/DialScript.h"

#include <gtest/gtest.h>

TEST(DialScript, RepeatsTakeTheRoomOfOneRuleAndCountAsMany) {
    // 2,000 lines of 1,000 dials each: two million dials from 80 KB of script.
    std::string text = "dial fail 691 after 10 states none times 2\n";
    for (int i = 0; i < 2000; ++i) text += "dial fail " + std::to_string(600 + i % 50) + " after 10 times 1000\n";
    text += "dial connect after 3s times 0\n";  // decides no dial
    text += "dial connect after 5s\n";
    DialScript script = ParseDialScript(text);
    EXPECT_TRUE(script.errors.empty());
    ASSERT_EQ(script.dials.size(), 2002u);
    struct {
        unsigned dial;
        DialRule::Kind kind;
        DWORD error;
        int line;
    } cases[] = {
        {0, DialRule::Fail, 691, 1},           {1, DialRule::Fail, 691, 1},
        {2, DialRule::Fail, 600, 2},           {1001, DialRule::Fail, 600, 2},
        {1002, DialRule::Fail, 601, 3},        {1999001, DialRule::Fail, 648, 2000},
        {1999002, DialRule::Fail, 649, 2001},  {2000001, DialRule::Fail, 649, 2001},
        {2000002, DialRule::Connect, 0, 2003}, {4000000000u, DialRule::Connect, 0, 2003},  // the last repeats
    };
    for (const auto& c : cases) {
        DialRule r = script.RuleFor(c.dial);
        EXPECT_EQ(r.kind, c.kind) << c.dial;
        EXPECT_EQ(r.error, c.error) << c.dial;
        EXPECT_EQ(r.line, c.line) << c.dial;
    }
    EXPECT_EQ(script.RuleFor(2000002).after, 5000);
    EXPECT_TRUE(script.RuleFor(0).states.empty());
    EXPECT_EQ(ParseDialScript("dial connect times 1001\n").errors,
              std::vector<std::string>{"line 1: too many times"});
}
