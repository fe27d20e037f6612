#include "HookCalls.h"

#include "AutodialTable.h"
#include "DialService.h"
#include "Phonebook.h"
#include "RecordFields.h"

#include "platform/LockedFile.h"
#include "platform/Machine.h"
#include "platform/RasHooks.h"
#include "platform/WinVersion.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {
// The phonebook a hook is told of: the service's own file, named as the units name paths.
AnsiString phonebookPath() { return Utf8ToAnsi(MachineFile("phonebook.txt")); }

std::u16string wide(const AnsiString& text) {
    std::u16string out;
    for (unsigned char c : text) out.push_back(static_cast<char16_t>(AnsiCharToUnicode(c)));
    return out;
}

template <std::size_t N>
void copyWide(WCHAR (&field)[N], const char* text) {
    std::u16string w = wide(text);
    std::copy_n(w.begin(), std::min(w.size(), N - 1), field);
}

// A connection is up when this service lists one connected (dialled here, or an outside
// one of the script), or when another process's copy of the service has published a line
// speed: the machine's one shared account of a connection made elsewhere.
bool connectionUp(CallRecord& log) {
    for (auto& c : TheDialService().Connections())
        if (c.state == RASCS_Connected) {
            log.Num("connected", c.handle);
            return true;
        }
    if (std::strtoul(ReadLockedFile(MachineFile("line-speed.txt")).c_str(), nullptr, 10) > 0) {
        log.Str("connected", "elsewhere");
        return true;
    }
    return false;
}

DWORD finish(CallRecord& log, const char* outcome, DWORD result) { return log.Str("outcome", outcome).Done(result); }

bool customDialingExists() {
    try {
        WindowsVersion v = CurrentWindowsVersion();
        return v == WindowsVersion::Win2000 || v == WindowsVersion::XP;
    } catch (...) {
        return false;
    }
}
}  // namespace

DWORD AnswerAddressRequest(const AnsiString& address) {
    CallRecord log("AutoDial");
    log.Str("address", address);
    if (connectionUp(log)) return finish(log, "connected", ERROR_SUCCESS);
    std::vector<AutodialRecord> records;
    // The empty address is the default connection's record, not an address anyone asks for.
    if (address.empty() || !ReadAutodialAddress(address, records))
        return finish(log, "no entry", ERROR_FILE_NOT_FOUND);
    log.Str("entry", records.front().entry);
    PhonebookEntry entry;
    if (!FindPhonebookEntry(records.front().entry, entry))
        return finish(log, "entry missing", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    RASENTRYA e{};
    std::memcpy(&e, entry.bytes.data(), std::min(entry.bytes.size(), sizeof e));
    AnsiString dll = FieldText(VYN_FIELD(e, szAutodialDll)), function = FieldText(VYN_FIELD(e, szAutodialFunc));
    log.Str("szAutodialDll", dll).Str("szAutodialFunc", function);
    // The platform would offer its own dial dialog; the machine has none.
    if (dll.empty() || function.empty()) return finish(log, "no handler", ERROR_NOT_SUPPORTED);
    HMODULE library = LoadLibraryA(dll.c_str());
    if (!library) return finish(log, "cannot load", ERROR_MOD_NOT_FOUND);
    auto handler = reinterpret_cast<PFN_AutoDialHandlerA>(GetProcAddress(library, (function + "A").c_str()));
    if (!handler) {
        FreeLibrary(library);
        return finish(log, "no function", ERROR_PROC_NOT_FOUND);
    }
    AnsiString book = phonebookPath(), name = entry.name;
    RASADPARAMS params{sizeof(RASADPARAMS), 0, 0, 0, 0};
    DWORD retCode = 0;
    BOOL handled = handler(book.data(), name.data(), &params, &retCode);
    FreeLibrary(library);
    log.Str("lpszPhonebook", book).Bytes("lpAutoDialParams", &params, sizeof params);
    log.Num("handled", static_cast<uint64_t>(handled)).Num("dwRetCode", retCode);
    if (handled) return finish(log, "handled", retCode);
    return finish(log, "declined", ERROR_NOT_SUPPORTED);
}

bool CustomDialLibraryOf(const AnsiString& entry, AnsiString& library) {
    if (!customDialingExists()) return false;
    std::string text;
    ReadFileContents(MachineFile("custom-dial.txt"), text);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        if (!SameEntryName(Utf8ToAnsi(line.substr(0, tab)), entry)) continue;
        library = Utf8ToAnsi(line.substr(tab + 1));
        return !library.empty();
    }
    return false;
}

DWORD CustomDial(const AnsiString& library, void* extensions, const RASDIALPARAMSA& p, DWORD notifierType,
                 void* notifier, LPHRASCONN handle, CallRecord& dial) {
    dial.Str("szCustomDialDll", library);
    HMODULE module = LoadLibraryA(library.c_str());
    if (!module) return dial.Done(ERROR_MOD_NOT_FOUND);
    auto customDial = reinterpret_cast<PFN_RasCustomDial>(GetProcAddress(module, "RasCustomDial"));
    if (!customDial) {
        FreeLibrary(module);
        return dial.Done(ERROR_PROC_NOT_FOUND);
    }
    RASDIALPARAMSW params{};
    params.dwSize = sizeof params;
    copyWide(params.szEntryName, p.szEntryName);
    copyWide(params.szPhoneNumber, p.szPhoneNumber);
    copyWide(params.szCallbackNumber, p.szCallbackNumber);
    copyWide(params.szUserName, p.szUserName);
    copyWide(params.szPassword, p.szPassword);
    copyWide(params.szDomain, p.szDomain);
    AnsiString book = phonebookPath();
    std::u16string wideBook = wide(book);
    CallRecord call("RasCustomDial");
    call.Str("lpszPhonebook", book).Ptr("lpRasDialExtensions", extensions).Str("szEntryName", p.szEntryName);
    call.Num("dwNotifierType", notifierType).Ptr("lpvNotifier", notifier).Num("dwFlags", 0);
    DWORD rc = customDial(module, extensions, wideBook.c_str(), &params, notifierType, notifier, handle, 0);
    call.Num("hrasconn", *handle).Done(rc);
    // Ours are never unmapped; a library whose work outlives the call keeps itself loaded.
    FreeLibrary(module);
    return dial.Num("hrasconn", *handle).Done(rc);
}
