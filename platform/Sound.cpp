#include "Sound.h"

#include "Clock.h"
#include "Machine.h"
#include "MachineLog.h"
#include "Resources.h"
#include "SysUtils.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {
std::mutex gMutex;
SoundDevice gDevice;

bool switchedOff() {
    if (const char* env = std::getenv("VYN_SOUND"); env && LowerCase(Trim(env)) == "off") return true;
    std::ifstream in(MachineFile("sound.txt"));
    std::string word;
    in >> word;
    return LowerCase(word) == "off";
}

std::string findInPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool soundServerRunning() {
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    return runtime && *runtime && std::filesystem::exists(std::string(runtime) + "/pulse/native", ec);
}

// A playback device of the sound system: /dev/snd/pcmC<card>D<device>p.
bool playbackDevicePresent() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/dev/snd", ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind("pcmC", 0) == 0 && name.back() == 'p') return true;
    }
    return false;
}

// Starts the player on its own; a thread of its own collects it when it ends, so the caller
// never waits for the sound.
bool startPlayer(const std::string& wavePath) {
    std::vector<std::string> args;
    if (std::string p = findInPath("paplay"); !p.empty() && soundServerRunning()) args = {p, wavePath};
    else if (std::string a = findInPath("aplay"); !a.empty() && playbackDevicePresent()) args = {a, "-q", wavePath};
    else return false;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

bool playOnMachine(const AnsiString& name, std::string_view wave) {
    if (switchedOff()) return false;
    // The player reads a file; each sound keeps one in the machine directory, replaced whole.
    std::string path = MachineFile("sound-" + UpperCase(name) + ".wav");
    try {
        WriteWholeFile(Utf8ToAnsi(path), wave);
    } catch (const Exception&) {
        return false;
    }
    return startPlayer(path);
}

// Resource names are written as they are: they hold no TAB or line end.
constexpr MachineLog kLog{"sound.log", LogEscape::None};

void record(const AnsiString& name, const char* outcome) {
    std::lock_guard lock(gMutex);
    kLog.Append({FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()), name, outcome});
}
}  // namespace

bool PlaySoundResource(const AnsiString& name) {
    std::optional<std::string_view> wave = FindResource(name);
    if (!wave) {
        record(name, "not found");
        return false;
    }
    SoundDevice device;
    {
        std::lock_guard lock(gMutex);
        device = gDevice;
    }
    bool played = device ? device(name, *wave) : playOnMachine(name, *wave);
    record(name, played ? "played" : "no device");
    return played;
}

std::vector<SoundCall> RecordedSounds() {
    std::lock_guard lock(gMutex);
    std::vector<SoundCall> out;
    for (const auto& f : kLog.Records(3)) out.push_back({f[0], f[1], f[2]});
    return out;
}

void SetSoundDevice(SoundDevice device) {
    std::lock_guard lock(gMutex);
    gDevice = std::move(device);
}
