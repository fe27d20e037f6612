#include "Devices.h"

#include "platform/Machine.h"

#include <fstream>

std::vector<RasDevice> InstalledDevices() {
    std::vector<RasDevice> out;
    std::ifstream in(MachineFile("devices.txt"), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        out.push_back({Utf8ToAnsi(line.substr(0, tab)), Utf8ToAnsi(line.substr(tab + 1))});
    }
    return out;
}
