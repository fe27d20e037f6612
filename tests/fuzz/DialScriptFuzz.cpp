// The simulated service's dial script: any text gives a script whose rules stay bounded.
#include "FuzzTarget.h"

#include "platform/rassim/DialScript.h"

#include <algorithm>

VYN_FUZZ_TARGET(DialScriptText, "dial_script") {
    std::string text(reinterpret_cast<const char*>(data), size);
    DialScript script = ParseDialScript(text);
    std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    // One line gives at most one rule, outside connection or skipped-line error.
    FUZZ_CHECK(script.dials.size() + script.outside.size() + script.errors.size() <= lines);
    unsigned total = 0;
    for (const DialRule& r : script.dials) {
        FUZZ_CHECK(r.times >= 1 && r.times <= 1000);
        FUZZ_CHECK(r.line >= 1 && static_cast<std::size_t>(r.line) <= lines);
        total += r.times;
    }
    for (unsigned i : {0u, 1u, total / 2, total, total + 1, 0xFFFFFFFFu}) {
        DialRule r = script.RuleFor(i);
        FUZZ_CHECK(script.dials.empty() ? r.line == 0 : r.line >= 1);
    }
}
