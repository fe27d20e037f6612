#include "EngineBench.h"

#include "connection/Dialer.h"
#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "platform/UiThread.h"
#include "settings/Hosts.h"
#include "support/Pop3TestServer.h"

#include <chrono>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

EngineBench::EngineBench(const std::string& programFile) : machine(programFile) {
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
    machine.installDialUpService();
    fs::create_symlink(fs::read_symlink("/proc/self/exe"), machine.path(programFile));
    SetThousandSeparator('.');
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + kMailHost +
                                              " 127.0.0.1:" + std::to_string(Pop3TestServer::UnusedPort()) + "\n");
}

EngineBench::~EngineBench() {
    StopFollowingClock();
    if (service) FreeLibrary(service);
}

void EngineBench::OpenService() {
    service = LoadLibraryA("RASAPI32.DLL");
    ASSERT_NE(service, nullptr);
    auto control = reinterpret_cast<PFN_VynSimControl>(GetProcAddress(service, "VynSimControl"));
    ASSERT_NE(control, nullptr);
    sim = control();
    sim->Reset();
}

void EngineBench::FollowClock(std::function<void(int64_t)> then, std::function<int64_t()> next) {
    StopFollowingClock();
    if (!next) next = [] { return INT64_MAX; };
    listener_ = machine.clock.AddListener(
        [this, then = std::move(then)](int64_t ms) {
            if (!IsUiThread()) return;
            HandOver();
            if (then) then(ms);
        },
        std::move(next));
}

void EngineBench::StopFollowingClock() {
    if (listener_) machine.clock.RemoveListener(listener_);
    listener_ = 0;
}

void EngineBench::HandOver() {
    // A dial made inside a pause notifies its first state at once, from the service's thread.
    sim->WaitIdle();
    Application->ProcessMessages();
}

void EngineBench::RunTo(int64_t ms) {
    while (Ms() < ms) machine.clock.Advance(ms - Ms());
    HandOver();
}

void EngineBench::WaitForSequence(const TDialer& dialer) {
    // The sequence's requests run in real time on local servers; its window steps need the
    // UI thread served meanwhile.
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (dialer.IsSequenceRunning()) {
        ASSERT_LT(std::chrono::steady_clock::now(), limit) << "the connected sequence did not end";
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Application->ProcessMessages();
}

void EngineBench::scriptQuietService() {
    http.script(HttpScript::Reply(200, "OK"));                // conexao.php
    http.script(HttpScript::Reply(200, "OK", "*1.3.0.28*"));  // versao.php
}
