// The simulated service's AutoDial table: the default connection (address NULL) as the
// programs read and set it, other addresses, removal, the argument checks and the file.
#include "RasSimFixture.h"

#include <cstring>

namespace {
RASAUTODIALENTRYA record(const char* entry, DWORD location, DWORD flags = 0) {
    RASAUTODIALENTRYA r{};
    r.dwSize = sizeof r;
    r.dwFlags = flags;
    r.dwDialingLocation = location;
    std::strcpy(r.szEntry, entry);
    return r;
}
}  // namespace

class RasSimAutodial : public RasSim {
protected:
    // The records of an address read the way the programs read the default: a size query,
    // then 128 records with the size reported.
    DWORD read(const char* address, std::vector<RASAUTODIALENTRYA>& out) {
        std::vector<RASAUTODIALENTRYA> buf(128);
        buf[0].dwSize = sizeof(RASAUTODIALENTRYA);
        DWORD cb = 0, count = 0;
        DWORD rc = RasGetAutodialAddressA(address, nullptr, nullptr, &cb, &count);
        if (rc != ERROR_BUFFER_TOO_SMALL) return rc;
        EXPECT_EQ(cb, count * sizeof(RASAUTODIALENTRYA));
        rc = RasGetAutodialAddressA(address, nullptr, buf.data(), &cb, &count);
        out.assign(buf.begin(), buf.begin() + count);
        return rc;
    }
    DWORD setOne(const char* address, RASAUTODIALENTRYA r) {
        return RasSetAutodialAddressA(address, 0, &r, sizeof r, 1);
    }
};

TEST_F(RasSimAutodial, TheDefaultConnectionRoundTrips) {
    std::vector<RASAUTODIALENTRYA> got;
    DWORD cb = 5, count = 5;
    EXPECT_EQ(RasGetAutodialAddressA(nullptr, nullptr, nullptr, &cb, &count), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(cb, 0u);
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(setOne(nullptr, record("Ruvozava Corvala 1.3.0", 1)), ERROR_SUCCESS);
    ASSERT_EQ(read(nullptr, got), ERROR_SUCCESS);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_STREQ(got[0].szEntry, "Ruvozava Corvala 1.3.0");
    EXPECT_EQ(got[0].dwDialingLocation, 1u);
    EXPECT_EQ(got[0].dwSize, sizeof(RASAUTODIALENTRYA));
    auto set = sim->Calls("RasSetAutodialAddressA");
    ASSERT_EQ(set.size(), 1u);
    RASAUTODIALENTRYA sent = record("Ruvozava Corvala 1.3.0", 1);
    EXPECT_EQ(set[0].Buffer("entries"), std::string(reinterpret_cast<char*>(&sent), sizeof sent));
    EXPECT_EQ(set[0].Arg("lpszAddress"), "null");

    // The same location is replaced, another one is added after it.
    ASSERT_EQ(setOne(nullptr, record("Outra", 1)), ERROR_SUCCESS);
    ASSERT_EQ(setOne(nullptr, record("Terceira", 2, 7)), ERROR_SUCCESS);
    ASSERT_EQ(read(nullptr, got), ERROR_SUCCESS);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_STREQ(got[0].szEntry, "Outra");
    EXPECT_STREQ(got[1].szEntry, "Terceira");
    EXPECT_EQ(got[1].dwFlags, 7u);

    // An address of its own does not touch the default.
    ASSERT_EQ(setOne("www.vyn.example", record("Ruvozava Corvala 1.3.0", 1)), ERROR_SUCCESS);
    ASSERT_EQ(read("WWW.VYN.EXAMPLE", got), ERROR_SUCCESS);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(read(nullptr, got), ERROR_SUCCESS);
    EXPECT_EQ(got.size(), 2u);

    // It outlives the service: the table is a file of the machine.
    sim->Reset();
    ASSERT_EQ(read(nullptr, got), ERROR_SUCCESS);
    EXPECT_EQ(got.size(), 2u);

    // Removal.
    EXPECT_EQ(RasSetAutodialAddressA(nullptr, 0, nullptr, 0, 0), ERROR_SUCCESS);
    EXPECT_EQ(read(nullptr, got), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RasSetAutodialAddressA(nullptr, 0, nullptr, 0, 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read("www.vyn.example", got), ERROR_SUCCESS);
}

TEST_F(RasSimAutodial, ReadingChecksItsArguments) {
    ASSERT_EQ(setOne(nullptr, record("A", 1)), ERROR_SUCCESS);
    ASSERT_EQ(setOne(nullptr, record("B", 2)), ERROR_SUCCESS);
    struct {
        const char* name;
        const char* address;
        bool reserved;
        std::size_t records;  // 0: none
        DWORD firstSize;
        DWORD cb;
        DWORD result, cbAfter, countAfter;
    } cases[] = {
        {"size query", nullptr, false, 0, 0, 0, ERROR_BUFFER_TOO_SMALL, 544, 2},
        {"one record for two", nullptr, false, 1, 272, 272, ERROR_BUFFER_TOO_SMALL, 544, 2},
        {"exact", nullptr, false, 2, 272, 544, ERROR_SUCCESS, 544, 2},
        {"record of another size", nullptr, false, 2, 276, 544, ERROR_INVALID_SIZE, 544, 99},
        {"reserved not null", nullptr, true, 2, 272, 544, ERROR_INVALID_PARAMETER, 544, 99},
        {"empty address", "", false, 2, 272, 544, ERROR_INVALID_PARAMETER, 544, 99},
        {"unknown address", "x.example", false, 2, 272, 544, ERROR_FILE_NOT_FOUND, 0, 0},
    };
    for (auto& c : cases) {
        std::vector<RASAUTODIALENTRYA> buf(c.records ? c.records : 1);
        buf[0].dwSize = c.firstSize;
        DWORD reserved = 0, cb = c.cb, count = 99;
        EXPECT_EQ(RasGetAutodialAddressA(c.address, c.reserved ? &reserved : nullptr,
                                         c.records ? buf.data() : nullptr, &cb, &count),
                  c.result)
            << c.name;
        EXPECT_EQ(cb, c.cbAfter) << c.name;
        EXPECT_EQ(count, c.countAfter) << c.name;
    }
    DWORD cb = 0;
    EXPECT_EQ(RasGetAutodialAddressA(nullptr, nullptr, nullptr, &cb, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RasSimAutodial, SettingChecksItsArguments) {
    RASAUTODIALENTRYA two[2] = {record("A", 1), record("B", 2)};
    RASAUTODIALENTRYA unterminated = record("A", 1);
    std::memset(unterminated.szEntry, 'e', sizeof unterminated.szEntry);
    RASAUTODIALENTRYA wrongSize = record("A", 1);
    wrongSize.dwSize = 268;
    RASAUTODIALENTRYA secondWrong[2] = {record("A", 1), record("B", 2)};
    secondWrong[1].dwSize = 0;
    struct {
        const char* name;
        const char* address;
        DWORD reserved;
        RASAUTODIALENTRYA* records;
        DWORD cb, count;
        DWORD result;
    } cases[] = {
        {"reserved not 0", nullptr, 1, two, 544, 2, ERROR_INVALID_PARAMETER},
        {"empty address", "", 0, two, 544, 2, ERROR_INVALID_PARAMETER},
        {"size short of the count", nullptr, 0, two, 543, 2, ERROR_INVALID_PARAMETER},
        {"records but count 0", nullptr, 0, two, 544, 0, ERROR_INVALID_PARAMETER},
        {"no records but a size", nullptr, 0, nullptr, 272, 0, ERROR_INVALID_PARAMETER},
        {"record of another size", nullptr, 0, &wrongSize, 272, 1, ERROR_INVALID_SIZE},
        {"second record of another size", nullptr, 0, secondWrong, 544, 2, ERROR_INVALID_SIZE},
        {"entry name without its zero", nullptr, 0, &unterminated, 272, 1, ERROR_INVALID_PARAMETER},
    };
    for (auto& c : cases)
        EXPECT_EQ(RasSetAutodialAddressA(c.address, c.reserved, c.records, c.cb, c.count), c.result) << c.name;
    std::vector<RASAUTODIALENTRYA> got;
    EXPECT_EQ(read(nullptr, got), ERROR_FILE_NOT_FOUND) << "no refused call wrote anything";
    EXPECT_EQ(RasSetAutodialAddressA(nullptr, 0, two, 544, 2), ERROR_SUCCESS);
    EXPECT_EQ(read(nullptr, got), ERROR_SUCCESS);
    EXPECT_EQ(got.size(), 2u);
}
