// The default Internet connection through the dial-up service's AutoDial table, with entry
// points that stand in for a service answering in ways the real one may not.
#include "connection/Ieconnection.h"

#include "platform/RegistryStore.h"
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

struct SetCall {
    bool address;
    DWORD reserved, size, count;
    std::string record;
};
std::vector<SetCall> gSets;

DWORD FakeSet(LPCSTR address, DWORD reserved, RASAUTODIALENTRYA* entries, DWORD size, DWORD count) {
    gSets.push_back({address != nullptr, reserved, size, count,
                     std::string(reinterpret_cast<const char*>(entries), sizeof(RASAUTODIALENTRYA))});
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
    Fresh() {
        gTable = {};
        gSets.clear();
    }
};
} // namespace

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
        std::size_t calls;
        DWORD sizePassed;  // by the second call
    } cases[] = {
        {"the entry is first", 2, 544, Records({kEntry, "Other"}), 0, kEntry, true, 2, 544},
        {"only the first counts", 2, 544, Records({"Other", kEntry}), 0, kEntry, false, 2, 544},
        {"letter case counts", 1, 272, Records({"ruvozava corvala 1.3.0"}), 0, kEntry, false, 2, 272},
        {"an empty table", 0, 0, "", 0, kEntry, false, 2, 0},
        {"a failed read", 1, 272, Records({kEntry}), ERROR_BUFFER_TOO_SMALL, kEntry, false, 2, 272},
        {"more than 128 records count as the default", 129, 129 * 272, "", 0, "anything", true, 1, 0},
        {"128 records, the size asked bounded by the array", 128, kArrayBytes + 4096, Records({kEntry}), 0, kEntry,
         true, 2, kArrayBytes},
        {"a name without its zero is read within szEntry", 1, 272, Records({full}, 'W'), 0, full, true, 2, 272},
    };
    for (const auto& c : cases) {
        Fresh f;
        gTable.count = c.count;
        gTable.sizeNeeded = c.sizeNeeded;
        gTable.bytes = c.bytes;
        gTable.fillResult = c.fillResult;
        std::string before = RegistrySnapshot();
        TIEConnection ie(FakeGet, FakeSet);
        EXPECT_EQ(ie.IsDefault(c.asked), c.isDefault) << c.name;
        ASSERT_EQ(gTable.calls.size(), c.calls) << c.name;
        // The size query: no address, no array, size and count starting at 0.
        const auto& q = gTable.calls[0];
        EXPECT_FALSE(q.address || q.reserved || q.buffer) << c.name;
        EXPECT_EQ(q.sizeIn, 0u) << c.name;
        EXPECT_EQ(q.countIn, 0u) << c.name;
        if (c.calls == 2) {
            const auto& r = gTable.calls[1];
            EXPECT_FALSE(r.address || r.reserved) << c.name;
            EXPECT_TRUE(r.buffer) << c.name;
            EXPECT_EQ(r.sizeIn, c.sizePassed) << c.name;
            EXPECT_EQ(r.firstDwSize, 272u) << c.name;
        }
        EXPECT_TRUE(gSets.empty()) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(IeconnectionRas, SetDefaultWritesOneRecord) {
    struct {
        const char* name;
        AnsiString entry;
        AnsiString stored;
    } cases[] = {
        {"the entry name", kEntry, kEntry},
        {"a name cut to 256 characters", AnsiString(300, 'x'), AnsiString(256, 'x')},
    };
    for (const auto& c : cases) {
        Fresh f;
        std::string before = RegistrySnapshot();
        TIEConnection ie(FakeGet, FakeSet);
        ie.SetDefault(c.entry);
        ASSERT_EQ(gSets.size(), 1u) << c.name;
        EXPECT_FALSE(gSets[0].address) << c.name;
        EXPECT_EQ(gSets[0].reserved, 0u) << c.name;
        EXPECT_EQ(gSets[0].size, 272u) << c.name;
        EXPECT_EQ(gSets[0].count, 1u) << c.name;
        std::string expected(272, '\0');
        expected[0] = char(0x10);  // dwSize 272, little-endian
        expected[1] = char(0x01);
        expected[8] = char(0x01);  // dwDialingLocation 1; dwFlags 0
        expected.replace(12, c.stored.size(), c.stored);
        EXPECT_EQ(gSets[0].record, expected) << c.name;
        EXPECT_TRUE(gTable.calls.empty()) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(IeconnectionRas, WithoutTheWriterSetDefaultDoesNothing) {
    Fresh f;
    std::string before = RegistrySnapshot();
    TIEConnection ie(FakeGet, nullptr);
    ie.SetDefault(kEntry);
    EXPECT_TRUE(gTable.calls.empty());
    EXPECT_EQ(RegistrySnapshot(), before);
    // Asking still goes to the table.
    gTable.count = 1;
    gTable.sizeNeeded = 272;
    gTable.bytes = Records({kEntry});
    EXPECT_TRUE(ie.IsDefault(kEntry));
}
