// The AutoDial read against a stand-in for the service that answers as the real one does
// not: a table larger than the size asked, a name that fills szEntry without its zero.
#include "connection/Ieconnection.h"

#include "platform/registry/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
const AnsiString kEntry = "Ruvozava Corvala 1.3.0";
constexpr DWORD kArrayBytes = 128 * sizeof(RASAUTODIALENTRYA);

// What the stand-in table answers, and what it was asked.
struct Table {
    DWORD sizeNeeded = 0;
    DWORD count = 0;
    DWORD fillResult = ERROR_SUCCESS;
    std::string bytes;  // the records the second call copies out (as many as fit)
    struct Call {
        bool address, reserved, buffer;
        DWORD sizeIn, countIn, firstDwSize;
    };
    std::vector<Call> calls;
};
Table gTable;

DWORD FakeGet(LPCSTR address, LPDWORD reserved, RASAUTODIALENTRYA* entries, LPDWORD size, LPDWORD count) {
    gTable.calls.push_back({address != nullptr, reserved != nullptr, entries != nullptr, *size, *count,
                            entries ? entries[0].dwSize : 0});
    if (!entries) {
        *size = gTable.sizeNeeded;
        *count = gTable.count;
        return ERROR_BUFFER_TOO_SMALL;
    }
    std::memcpy(entries, gTable.bytes.data(), std::min<std::size_t>(*size, gTable.bytes.size()));
    *count = gTable.count;
    return gTable.fillResult;
}

DWORD FakeSet(LPCSTR, DWORD, RASAUTODIALENTRYA*, DWORD, DWORD) {
    ADD_FAILURE() << "IsDefault writes nothing";
    return ERROR_SUCCESS;
}

// Records whose szEntry hold `names`, each record full of `fill` past its name's zero.
std::string Records(const std::vector<AnsiString>& names, char fill = '\0') {
    std::string out;
    for (const auto& name : names) {
        RASAUTODIALENTRYA r;
        std::memset(&r, fill, sizeof r);
        r.dwSize = sizeof r;
        r.dwFlags = 0;
        r.dwDialingLocation = 1;
        std::memcpy(r.szEntry, name.data(), std::min<std::size_t>(name.size(), sizeof r.szEntry));
        if (name.size() < sizeof r.szEntry) r.szEntry[name.size()] = '\0';
        out.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return out;
}

struct Fresh {
    TempMachine m;
    Fresh() { gTable = {}; }
};
}  // namespace

TEST(IeconnectionRas, IsDefaultComparesTheFirstRecordWithinItsArray) {
    const AnsiString full(257, 'V');  // a name that fills szEntry without a zero
    struct {
        const char* name;
        DWORD count;
        DWORD sizeNeeded;
        std::string bytes;
        DWORD fillResult;
        AnsiString asked;
        bool isDefault;
        DWORD sizePassed;  // by the second call
    } cases[] = {
        {"a failed read", 1, 272, Records({kEntry}), ERROR_BUFFER_TOO_SMALL, kEntry, false, 272},
        {"128 records, the size asked bounded by the array", 128, kArrayBytes + 4096, Records({kEntry}), 0, kEntry,
         true, kArrayBytes},
        {"a name without its zero is read within szEntry", 1, 272, Records({full}, 'W'), 0, full, true, 272},
    };
    for (const auto& c : cases) {
        Fresh f;
        gTable.count = c.count;
        gTable.sizeNeeded = c.sizeNeeded;
        gTable.bytes = c.bytes;
        gTable.fillResult = c.fillResult;
        std::string before = RegistrySnapshot();
        TIEConnection ie(TServices(), FakeGet, FakeSet);
        EXPECT_EQ(ie.IsDefault(c.asked), c.isDefault) << c.name;
        ASSERT_EQ(gTable.calls.size(), 2u) << c.name;
        // The size query: no address, no array, size and count starting at 0.
        const auto& q = gTable.calls[0];
        EXPECT_FALSE(q.address || q.reserved || q.buffer) << c.name;
        EXPECT_EQ(q.sizeIn, 0u) << c.name;
        EXPECT_EQ(q.countIn, 0u) << c.name;
        const auto& r = gTable.calls[1];
        EXPECT_FALSE(r.address || r.reserved) << c.name;
        EXPECT_TRUE(r.buffer) << c.name;
        EXPECT_EQ(r.sizeIn, c.sizePassed) << c.name;
        EXPECT_EQ(r.firstDwSize, 272u) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}
