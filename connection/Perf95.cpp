#include "Perf95.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryTree.h"

#include <vector>

namespace {
const char* const kStartStat = "PerfStats\\StartStat";
const char* const kStatData = "PerfStats\\StatData";
const char* const kStopStat = "PerfStats\\StopStat";

// Reads the whole binary value `name` under HKEY_DYN_DATA `key`, at most `limit` bytes.
// Anything that is not binary data, or is longer than `limit`, counts as nothing read: the
// counters are plain binary values, and an odd one must not stop the connected sequence.
std::vector<BYTE> ReadCounter(const char* key, const AnsiString& name, int limit) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_DYN_DATA);
    if (!reg.OpenKey(key, false)) return {};
    std::vector<BYTE> data;
    try {
        TRegDataInfo info;
        if (reg.GetValueType(name) == REG_BINARY && reg.GetDataInfo(name, info) && info.DataSize > 0 &&
            info.DataSize <= limit) {
            data.resize(static_cast<std::size_t>(info.DataSize));
            data.resize(static_cast<std::size_t>(reg.ReadBinaryData(name, data.data(), info.DataSize)));
        }
    } catch (const Exception&) {
        data.clear();
    }
    reg.CloseKey();
    return data;
}

constexpr int kAnySize = 0x7FFFFFFF;
}  // namespace

TPerf95::TPerf95(const AnsiString& description, const AnsiString& counterName) {
    ok_ = true;
    AnsiString name = description + "\\" + counterName;
    ok_ = !ReadCounter(kStartStat, name, kAnySize).empty();
    counterValueName_ = name;
}

TPerf95::~TPerf95() {
    ok_ = false;
    if (counterValueName_.empty()) return;
    ReadCounter(kStopStat, counterValueName_, kAnySize);
    counterValueName_.clear();
}

bool TPerf95::ReadStat(DWORD& value) {
    if (!ok_) return false;
    ok_ = false;
    std::vector<BYTE> data = ReadCounter(kStatData, counterValueName_, 4);
    // Little-endian; a shorter value replaces only the low bytes.
    for (std::size_t i = 0; i < data.size(); ++i) {
        unsigned shift = 8 * static_cast<unsigned>(i);
        value = (value & ~(DWORD{0xFF} << shift)) | (DWORD{data[i]} << shift);
    }
    ok_ = !data.empty();
    return ok_;
}

DWORD TPerf95::GetValue() {
    if (!ok_) return 0;
    DWORD value = 0;
    ReadStat(value);
    return value;
}
