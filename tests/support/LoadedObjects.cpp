#include "LoadedObjects.h"

#include <link.h>

std::vector<std::string> LoadedObjects() {
    std::vector<std::string> out;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && *info->dlpi_name)
                static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &out);
    return out;
}

std::vector<std::string> LoadedObjectsNamed(const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& path : LoadedObjects()) {
        std::string name = path.substr(path.rfind('/') + 1);
        if (name.find(part) != std::string::npos) out.push_back(path);
    }
    return out;
}
