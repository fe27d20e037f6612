#pragma once
// The access-phone list: the provider's access numbers by state and city, with each city's
// area code. Read once at start from "tels" beside the program; a selected city answers
// which number to dial and which area code the destination has.
#include "Services.h"
#include "Xmlvynsup.h"

#include "platform/AnsiString.h"
#include "platform/Classes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TXMLvyn {
public:
    // Uses the status log and the edition.
    explicit TXMLvyn(const TServices& services);
    ~TXMLvyn();
    TXMLvyn(const TXMLvyn&) = delete;
    TXMLvyn& operator=(const TXMLvyn&) = delete;

    // Reads "<program folder>\<fileName>", plain or gzip; true only when parsed to its end.
    // After a failed read or parse, or a list beyond the bounds (Xmlvynsup.h), the states
    // read so far stay in the list; each failure is one status line. Any selection made
    // before is dropped.
    bool Load(const AnsiString& fileName);
    // Exact, case-sensitive match of the state code and the city name; the outcome shows in
    // GetPhone (and, where the edition says so, a failure in the status log). A failed
    // selection leaves the area code of the last one. A selection starts at the city's
    // first number.
    void SelectCity(const AnsiString& state, const AnsiString& city);
    // The city SelectCity would select, or null; it selects nothing.
    const phonelist::_prov* FindCity(const AnsiString& state, const AnsiString& city) const;
    int32_t GetDDD() const { return ddd; }
    // The current access number, or "***" when nothing (or a city without numbers) is selected.
    AnsiString GetPhone() const;
    // Moves the current number one on, the first following the last, and returns it; "***"
    // (and no move) when GetPhone has none.
    AnsiString GetNextPhone();
    // Clears `list`, then appends every state's code in list order.
    void FillStateList(TStrings& list) const;
    // Clears `list`, then appends the city names of the first state whose code is `state`
    // exactly; none when there is no such state.
    void FillCityList(TStrings& list, const AnsiString& state) const;

    const std::vector<phonelist::_estados>& States() const { return states; }

private:
    std::size_t stateIndex(const AnsiString& state) const;  // states.size() when none

    TLogger& log_;
    const bool logsFailedSelection_;
    bool loaded = false;
    bool selected = false;
    std::vector<phonelist::_estados> states;
    int32_t ddd = 0;
    // The selection, as places in the list; Load clears it, so it never outlives the list.
    std::size_t selectedState_ = 0;
    std::size_t selectedCity_ = 0;
    std::size_t firstPhone = 0;
    std::size_t currentPhone = 0;
    std::size_t endPhone = 0;
};

extern TXMLvyn* XMLvyn;
