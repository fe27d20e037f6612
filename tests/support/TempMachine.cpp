#include "TempMachine.h"

#include "platform/Application.h"
#include "platform/Machine.h"
#include "platform/Sound.h"
#include "platform/SysUtils.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempMachine::TempMachine(const std::string& exeName) {
    std::string tmpl = (fs::temp_directory_path() / "vyn-machine-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
    progDir_ = dir_ + "/Program Files/Vyn";
    fs::create_directories(progDir_);
    SetMachineDir(dir_);
    // A test machine has no desktop: the shell records what it would open and opens nothing.
    writeMachineFile("no-desktop", "");
    SetProgramFileName(Utf8ToAnsi(progDir_ + "/" + exeName));
    Application->ResetTerminated();
    SetClock(&clock);
    writeMachineFile("sound.txt", "off\n");  // tests never play sounds
    SetMessageBoxResponder([this](const MessageBoxRequest& r) {
        std::lock_guard lock(mutex_);
        boxes_.push_back(r);
        if (answers_.empty()) return (r.flags & MB_TYPEMASK) == MB_OK ? int(IDOK) : int(IDCANCEL);
        int a = answers_.front();
        answers_.pop_front();
        return a;
    });
}

TempMachine::~TempMachine() {
    SetMessageBoxResponder(nullptr);
    SetSoundDevice(nullptr);
    SetClock(nullptr);
    Application->ResetTerminated();
    std::error_code ec;
    if (!std::getenv("VYN_KEEP_MACHINE")) fs::remove_all(dir_, ec);
}

AnsiString TempMachine::programFile(const std::string& name) const {
    return ExtractFileDir(Application->ExeName()) + "\\" + Utf8ToAnsi(name);
}

void TempMachine::installDialUpService() { installLibrary("RASAPI32.DLL"); }

void TempMachine::installLibrary(const std::string& fileName) const {
    fs::copy_file(fs::path(VYN_DIST_DIR) / fileName, fs::path(progDir_) / fileName,
                  fs::copy_options::overwrite_existing);
}

void TempMachine::writeMachineFile(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << content;
}

void TempMachine::writeProgramFile(const std::string& name, const std::string& content) const {
    std::ofstream(progDir_ + "/" + name, std::ios::binary) << content;
}

std::string TempMachine::readProgramFile(const std::string& name) const {
    std::ifstream in(progDir_ + "/" + name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void TempMachine::answerBoxes(std::vector<int> answers) {
    std::lock_guard lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
}

std::vector<MessageBoxRequest> TempMachine::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}
