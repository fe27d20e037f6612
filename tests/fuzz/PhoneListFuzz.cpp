// The access-phone list as read at every start: any bytes in "tels", plain or gzip.
#include "FuzzTarget.h"

#include "settings/Log.h"
#include "settings/Xmlvyn.h"

VYN_FUZZ_TARGET(PhoneList, "phone_list") {
    WriteFuzzFile(TheFuzzMachine().programDir + "/tels", data, size);
    TLogger log;
    TXMLvyn list({.log = &log});
    bool loaded = list.Load("tels");
    FUZZ_CHECK(loaded == log.Lines().empty());
    // Every city selected as the settings select one; its numbers in turn.
    for (const phonelist::_estados& state : list.States()) {
        for (const phonelist::_prov& city : state.cidades) {
            list.SelectCity(state.sigla, city.nome);
            list.GetPhone();
        }
    }
}
