#include "RegistryStore.h"

#include "RegistrySeed.h"

#include "platform/LockedFile.h"
#include "platform/Machine.h"
#include "platform/MachineLog.h"
#include "platform/SysUtils.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

namespace {

const char kStoreFile[] = "registry.txt";
const char kLockFile[] = "registry.lock";
const char kDynLogFile[] = "registry-dyn-reads.txt";
// Names quoted as in the seed form, separated by TAB (which the quoting escapes).
constexpr MachineLog kDynLog{kDynLogFile, LogEscape::None};

// What tells one version of the file from another besides the change counter: a file
// replaced or edited by hand.
struct FileId {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0;
    bool operator==(const FileId&) const = default;
};

FileId StatFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    return {true,
            st.st_dev,
            st.st_ino,
            st.st_size,
            st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

class Store {
public:
    LONG Read(const std::function<LONG(const RegTree&)>& f) {
        std::lock_guard guard(mutex_);
        LockedFile file(MachineFile(kStoreFile), LockedFile::Shared, MachineFile(kLockFile));
        Refresh(file);
        if (corrupt_) return ERROR_BADDB;
        return f(tree_);
    }

    LONG Write(const std::function<LONG(RegTree&, bool&)>& f) {
        std::lock_guard guard(mutex_);
        LockedFile file(MachineFile(kStoreFile), LockedFile::Exclusive, MachineFile(kLockFile));
        Refresh(file);
        if (corrupt_) return ERROR_BADDB;
        bool changed = false;
        LONG rc = f(tree_, changed);
        if (rc != ERROR_SUCCESS) {
            loaded_ = false;  // whatever `f` did is read back from the file
            return rc;
        }
        if (!changed) return rc;
        if (!file.Replace(FormatRegistrySeed(tree_))) {
            loaded_ = false;
            return ERROR_CANTWRITE;
        }
        generation_ = file.Generation();
        fileId_ = StatFile(file.Path());
        return ERROR_SUCCESS;
    }

    std::string CorruptMessage() {
        std::lock_guard guard(mutex_);
        return corruptMessage_;
    }

private:
    // Reads the file again when another process replaced it (the lock file counts the
    // replacements) or someone edited it by hand (its identity moved).
    void Refresh(const LockedFile& file) {
        std::string dir = MachineDir();
        unsigned long long generation = file.Generation();
        FileId id = StatFile(file.Path());
        if (loaded_ && dir == dir_ && generation == generation_ && id == fileId_) return;
        tree_ = RegTree();
        corrupt_ = false;
        corruptMessage_.clear();
        std::string text;
        FileRead read = file.Read(text);
        try {
            if (read == FileRead::Refused) throw Exception("cannot read " + file.Path());
            ParseRegistrySeed(text, tree_);
        } catch (const Exception& e) {
            corrupt_ = true;
            corruptMessage_ = e.Message;
            tree_ = RegTree();
        }
        dir_ = dir;
        generation_ = generation;
        fileId_ = id;
        loaded_ = true;
    }

    std::mutex mutex_;
    bool loaded_ = false;
    bool corrupt_ = false;
    std::string corruptMessage_;
    std::string dir_;
    unsigned long long generation_ = 0;
    FileId fileId_;
    RegTree tree_;
};

// Never destroyed at the end of a process: a hook's thread may still read the registry.
Store* gStore = nullptr;
std::once_flag gStoreMade;

Store& TheStore() {
    std::call_once(gStoreMade, [] { gStore = new Store; });
    return *gStore;
}

void ThrowUnless(LONG rc) {
    if (rc == ERROR_SUCCESS) return;
    if (rc == ERROR_BADDB)
        throw Exception("The registry of the simulated machine does not read: " + TheStore().CorruptMessage());
    throw Exception("The registry of the simulated machine cannot be saved in " +
                    Utf8ToAnsi(MachineFile(kStoreFile)));
}

}  // namespace

void ReleaseRegistryStore() {
    delete gStore;
    gStore = nullptr;
}

LONG RegistryStore::Read(const std::function<LONG(const RegTree&)>& f) { return TheStore().Read(f); }

LONG RegistryStore::Write(const std::function<LONG(RegTree&, bool& changed)>& f) { return TheStore().Write(f); }

void SeedRegistry(std::string_view seedText) {
    RegTree seed;
    ParseRegistrySeed(seedText, seed);  // a malformed seed adds nothing
    std::string canonical = FormatRegistrySeed(seed);
    ThrowUnless(RegistryStore::Write([&](RegTree& tree, bool& changed) {
        ParseRegistrySeed(canonical, tree);
        changed = true;
        return ERROR_SUCCESS;
    }));
}

void SeedRegistryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + Utf8ToAnsi(path) + "\".");
    std::ostringstream text;
    text << in.rdbuf();
    SeedRegistry(text.str());
}

void ClearRegistry() {
    ThrowUnless(RegistryStore::Write([](RegTree& tree, bool& changed) {
        tree = RegTree();
        changed = true;
        return ERROR_SUCCESS;
    }));
}

std::string RegistrySnapshot() {
    std::string out;
    ThrowUnless(RegistryStore::Read([&](const RegTree& tree) {
        out = FormatRegistrySeed(tree);
        return ERROR_SUCCESS;
    }));
    return out;
}

void SetMachineRegistryValue(RegRoot root, const AnsiString& keyPath, const AnsiString& name, DWORD type,
                             std::string_view data) {
    std::vector<AnsiString> names;
    if (!SplitRegPath(keyPath, names) || !RegPathWithinLimits(names))
        throw Exception("Bad registry key path \"" + keyPath + "\"");
    ThrowUnless(RegistryStore::Write([&](RegTree& tree, bool& changed) {
        tree.Create(root, names).SetValue(name, type, std::string(data));
        changed = true;
        return ERROR_SUCCESS;
    }));
}

bool GetMachineRegistryValue(RegRoot root, const AnsiString& keyPath, const AnsiString& name, RegValue& value) {
    std::vector<AnsiString> names;
    if (!SplitRegPath(keyPath, names) || !RegPathWithinLimits(names)) return false;
    bool found = false;
    ThrowUnless(RegistryStore::Read([&](const RegTree& tree) {
        const RegKey* key = tree.Find(root, names);
        const RegValue* v = key ? key->FindValue(name) : nullptr;
        if (v) value = *v;
        found = v != nullptr;
        return ERROR_SUCCESS;
    }));
    return found;
}

void LogDynDataRead(const DynDataRead& read) {
    kDynLog.Append({QuoteRegText(read.key), QuoteRegText(read.value), std::to_string(read.bytes)});
}

std::vector<DynDataRead> DynDataReads() {
    std::vector<DynDataRead> reads;
    for (const auto& f : kDynLog.Records(3)) {
        DynDataRead r;
        long long bytes = StrToIntDef(f[2], -1);
        if (UnquoteRegText(f[0], r.key) == std::string_view::npos ||
            UnquoteRegText(f[1], r.value) == std::string_view::npos || bytes < 0)
            continue;
        r.bytes = static_cast<std::size_t>(bytes);
        reads.push_back(std::move(r));
    }
    return reads;
}

void ClearDynDataReads() { std::remove(MachineFile(kDynLogFile).c_str()); }
