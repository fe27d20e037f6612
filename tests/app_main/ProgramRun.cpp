#include "ProgramRun.h"

#include "platform/Dialogs.h"
#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

void InstallProgram(const TempMachine& machine, bool withDialUpService, const std::vector<std::string>& programs) {
    fs::path dist(VYN_DIST_DIR);
    auto copy = [&](const char* name) {
        fs::copy_file(dist / name, fs::path(machine.programDir()) / name, fs::copy_options::overwrite_existing);
    };
    for (const std::string& p : programs) copy(p.c_str());
    copy("tels");
    if (withDialUpService) copy("RASAPI32.DLL");
}

ProgramRun::ProgramRun(const TempMachine& machine, const QStringList& arguments, const std::string& program) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VYN_MACHINE_DIR", QString::fromStdString(machine.dir()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VYN_REPORT_PAINTS", "1");
    env.insert("LC_ALL", "C.UTF-8");
    proc_.setProcessEnvironment(env);
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    proc_.start(QString::fromStdString(machine.path(program)), arguments);
    proc_.waitForStarted(10000);
}

ProgramRun::~ProgramRun() {
    if (proc_.state() != QProcess::NotRunning) {
        proc_.kill();
        proc_.waitForFinished(10000);
    }
}

void ProgramRun::read() {
    buffer_ += proc_.readAllStandardOutput();
    while (buffer_.contains('\n')) {
        int n = buffer_.indexOf('\n');
        lines_ << QString::fromUtf8(buffer_.left(n));
        buffer_.remove(0, n + 1);
    }
}

const QStringList& ProgramRun::lines() {
    read();
    return lines_;
}

bool ProgramRun::saw(const QString& prefix) {
    for (const QString& l : lines())
        if (l.startsWith(prefix)) return true;
    return false;
}

QString ProgramRun::waitForLine(const QString& prefix, int ms) {
    QDeadlineTimer deadline(ms);
    for (;;) {
        for (const QString& l : lines())
            if (l.startsWith(prefix)) return l;
        if (deadline.hasExpired() || proc_.state() == QProcess::NotRunning) break;
        proc_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    for (const QString& l : lines())
        if (l.startsWith(prefix)) return l;
    return "";
}

int ProgramRun::exitCode(int ms) {
    if (proc_.state() != QProcess::NotRunning && !proc_.waitForFinished(ms)) return -1;
    read();
    return proc_.exitStatus() == QProcess::NormalExit ? proc_.exitCode() : -2;
}

std::vector<LoggedBox> LoggedBoxes(const TempMachine& machine) {
    std::vector<LoggedBox> out;
    std::ifstream in(machine.dir() + "/messages.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string f[4];
        for (auto& field : f) std::getline(ls, field, '\t');
        auto unescape = [](const std::string& s) {
            std::string o;
            for (std::size_t i = 0; i < s.size(); ++i) {
                if (s[i] == '\\' && i + 1 < s.size()) {
                    char c = s[++i];
                    o += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
                } else {
                    o += s[i];
                }
            }
            return o;
        };
        out.push_back({static_cast<unsigned>(StrToIntDef(f[0], 0)), unescape(f[1]), unescape(f[2]),
                       static_cast<int>(StrToIntDef(f[3], 0))});
    }
    return out;
}

bool WasShown(const LoggedBox& box) { return !((box.flags & MB_TYPEMASK) == MB_OK && box.answer == IDCANCEL); }

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        // The processes' ends are seen through events.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}
