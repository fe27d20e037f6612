// The settings file as both editions read and change it: any bytes in "Mirvane.ini".
#include "FuzzTarget.h"

#include "platform/IniFiles.h"

VYN_FUZZ_TARGET(Ini, "ini") {
    const std::string path = TheFuzzMachine().programDir + "/Mirvane.ini";
    WriteFuzzFile(path, data, size);
    TIniFile ini(Utf8ToAnsi(path));
    TStringList keys;
    ini.ReadSection("Principal", keys);
    for (int i = 0; i < keys.Count(); ++i) {
        ini.ReadString("Principal", keys[i], "");
        ini.ReadInteger("Principal", keys[i], -1);
        ini.ReadBool("Principal", keys[i], true);
    }
    // A save and a rewrite of the remembered logins, as the settings make them.
    ini.Update([](TIniBatch& b) {
        b.WriteString("Principal", "Chamada", "*70");
        b.WriteInteger("Principal", "DDD", 21);
        b.EraseSection("Usuarios");
        b.WriteString("Usuarios", "Usuario00", "ana");
    });
    FUZZ_CHECK(ini.ReadString("Principal", "Chamada", "") == "*70");
    FUZZ_CHECK(ini.ReadInteger("Principal", "DDD", 0) == 21);
    FUZZ_CHECK(ini.ReadString("Usuarios", "Usuario00", "") == "ana");
}
