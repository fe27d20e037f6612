#pragma once
// The settings dialog: the digit for an outside line, the code that switches call waiting
// off, the modem, tone or pulse dialling, and a button to the system's editor of the
// program's phonebook entry. Shown modally by the main window: mrOk after a confirmation
// that stored everything, mrCancel otherwise.
//
// Confirming stores the settings, makes the program's entry the default Internet
// connection without asking, and writes the current access number and the modem into the
// entry. The conventional-line edition's dialog builds on this one: it adds controls, and
// the showing and the steps of a confirmation are virtual.
#include "platform/RasApi.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/ExtCtrls.h"
#include "platform/qt/Forms.h"
#include "platform/qt/StdCtrls.h"
#include "settings/RasLibrary.h"

#include <memory>

class TFormConfig : public TForm {
public:
    explicit TFormConfig(TComponent* Owner);
    ~TFormConfig() override;

    TLabel* Label6;
    TEdit* EditConfLinhaExterna;
    TRadioGroup* RadioGroupTomPulso;
    TButton* ButtonOk;
    TButton* ButtonCancel;
    TLabel* Label2;
    TEdit* EditConfChamada;
    TLabel* Label3;
    TComboBox* ComboBoxModems;
    TButton* Button1;

    virtual void FormShow(TObject* Sender);
    virtual void ComboBoxEstadoClick(TObject* Sender);
    void ButtonOkClick(TObject* Sender);
    void ButtonCancelClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void WriteDUN();

protected:
    // What a confirmation stores beside the texts of the controls.
    struct TEntries {
        int areaCode = 0;      // Mirvane stores 0
        int carrier = 0;       // Mirvane stores 0
        int outsideLine = -1;  // -1: none
        AnsiString callWaiting;
    };
    // The checks, in order: the first that fails shows its message, takes the focus to its
    // control and ends the confirmation (the dialog stays open, nothing is stored).
    virtual bool CheckEntries(TEntries& entries);
    // A last question; false ends the confirmation before anything takes effect.
    virtual bool ConfirmEntries(const TEntries&) { return true; }
    // Into the settings, in memory; the confirmation then saves them.
    virtual void StoreEntries(const TEntries& entries);

    // The outside-line field as a number: -1 when empty; false (with the message shown and
    // the focus on the field) when it is not a whole number of -1 or more.
    bool ReadOutsideLine(int& value);
    // A label of the dialog's rows: no auto size, 22 high, its text centred vertically.
    TLabel* RowLabel(const char* name, int left, int top, int width, const AnsiString& caption);
    // The call-waiting field as typed; false (with the message shown and the focus on the
    // field) when it holds a line break, which would end its line in the settings file.
    bool ReadCallWaiting(AnsiString& value);

private:
    std::unique_ptr<TRasLibrary> rasLibrary_;  // from FormCreate to FormDestroy
};

extern TFormConfig* FormConfig;
