// The registry's text form, as "registry.txt" and seeds hold it: what parses formats to a
// text that parses to the same tree.
#include "FuzzTarget.h"

#include "platform/SysUtils.h"
#include "platform/registry/RegistrySeed.h"

#include <string_view>

VYN_FUZZ_TARGET(RegistrySeed, "registry_seed") {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegTree tree;
    try {
        ParseRegistrySeed(text, tree);
    } catch (const Exception&) {
        return;
    }
    std::string formatted = FormatRegistrySeed(tree);
    RegTree again;
    try {
        ParseRegistrySeed(formatted, again);
    } catch (const Exception&) {
        FUZZ_CHECK(!"the canonical form parses");
    }
    FUZZ_CHECK(again == tree);
    FUZZ_CHECK(FormatRegistrySeed(again) == formatted);
}
