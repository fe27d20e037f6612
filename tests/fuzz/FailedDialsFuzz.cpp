// The failed-dial log's reader: any bytes in "erros.txt" give whole records or its error.
#include "FuzzTarget.h"

#include "settings/Erros.h"

#include "platform/SysUtils.h"

#include <cstring>

VYN_FUZZ_TARGET(FailedDials, "failed_dials") {
    std::vector<erro> records;
    try {
        ParseFailedDials(std::string(reinterpret_cast<const char*>(data), size), records);
    } catch (const Exception&) {}
    for (const erro& r : records) {
        FUZZ_CHECK(strnlen(r.datahora, sizeof r.datahora) < sizeof r.datahora);
        FUZZ_CHECK(strnlen(r.login, sizeof r.login) < sizeof r.login);
        FUZZ_CHECK(strnlen(r.telefone, sizeof r.telefone) < sizeof r.telefone);
    }
}
