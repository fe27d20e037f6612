#include "Services.h"

#include "Edition.h"

#include <stdexcept>
#include <string>

namespace {
template <class T>
T& present(T* service, const char* what) {
    if (!service) throw std::logic_error(std::string("the services record has no ") + what);
    return *service;
}
}  // namespace

TLogger& TServices::Log() const { return present(log, "status log"); }
TXMLvyn& TServices::Phones() const { return present(phones, "phone list"); }
TConf& TServices::Settings() const { return present(conf, "settings"); }
TChecaMail& TServices::Mail() const { return present(mail, "mail check"); }
TErros& TServices::Errors() const { return present(errors, "failed-dial log"); }
TLogCon& TServices::Report() const { return present(report, "connection report"); }
const TEdition& TServices::Edition() const { return edition ? *edition : MirvaneEdition(); }
