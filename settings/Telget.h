#pragma once
// The daily download of the access-phone list: once "tels" is a whole day old, the list is
// fetched from the dialer service into "telstemp", checked, and put in the place of "tels"
// by one atomic rename. The list in memory is untouched; the new file counts from the next
// start. Each attempt ends in one status line; a skipped one logs nothing.
#include "Services.h"

#include "platform/HttpClient.h"

#include <memory>
#include <string>

class TTelGet {
public:
    // Uses the status log.
    explicit TTelGet(const TServices& services);
    ~TTelGet();
    TTelGet(const TTelGet&) = delete;
    TTelGet& operator=(const TTelGet&) = delete;

    void Update();

private:
    TLogger& log_;
    std::unique_ptr<THttpClient> httpClient;
    std::string response;
};
