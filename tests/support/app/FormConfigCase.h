#pragma once
// The settings dialog on a machine of its own: the dial-up service with three devices (two
// modems), a phone list, the test program standing in for the program file (it carries the
// version the entry is named after), and the program's start as far as the dialog needs it:
// the service objects, the two question forms and the dialog. An edition other than
// Mirvane's names its program file and makes its own dialog.
#include "support/app/AppCase.h"

#include "app/Frmconfig.h"
#include "platform/rassim/RasSimControl.h"
#include "settings/Edition.h"

#include <functional>
#include <string>
#include <vector>

class FormConfigCase : public AppCase {
protected:
    FormConfigCase();
    ~FormConfigCase() override;

    // The edition the next Start runs, its program file, and how it makes its dialog.
    void UseEdition(const TEdition& edition, const std::string& programFile,
                    std::function<TFormConfig*()> makeDialog);
    // Writes `settings` as Mirvane.ini (unless empty), then starts as the program does: the
    // services, the configured city selected, the question forms and the dialog. From here
    // on the service records only what the dialog does.
    void Start(const std::string& settings);
    // The dialog and the question forms, then the service objects as the main window deletes
    // them, then the test's hold on the dial-up service.
    void Stop();
    // The service objects made so far, and the edition.
    TServices Services() const;

    // The entry's bytes as the engine last wrote them.
    std::string LastEntry();
    // The entry's bytes in the service's phonebook file ("name TAB size TAB hex").
    std::string PhonebookEntry(const AnsiString& name);
    static std::string Field(const std::string& entry, std::size_t offset, std::size_t size);

    // Shows the dialog modally with `steps` run on it once it is up; its modal result.
    int Show(std::vector<FormRobot::Step> steps);
    static FormRobot::Step Fill(const char* outside, int modem, int toneOrPulse, const char* callWaiting);
    static void PressOk(TForm*);
    // Types `text` into `edit` and presses OK; the modal result. With `refusal` the dialog
    // must show that message, keep the focus on the field, stay open and store nothing (the
    // ini, the phonebook entry); it is then cancelled.
    int TypeAndPressOk(TEdit* edit, const std::string& text, const char* refusal);

    HMODULE service_ = nullptr;
    RasSimControl* sim_ = nullptr;
    std::string entryBefore_;

private:
    const TEdition* edition_ = &MirvaneEdition();
    std::function<TFormConfig*()> makeDialog_;
};

// The phonebook entry's name at the test program's version.
inline const AnsiString kEntry = "Ruvozava Corvala 1.3.0";
