#pragma once
// The settings dialog: the digit for an outside line, the code that switches call waiting
// off, the modem, tone or pulse dialling, and a button to the system's editor of the
// program's phonebook entry. Shown modally by the main window: mrOk after a confirmation
// that stored everything, mrCancel otherwise.
//
// Confirming stores the settings, makes the program's entry the default Internet
// connection without asking, and writes the current access number and the modem into the
// entry. The conventional-line edition's dialog builds on this one: the handlers are
// virtual.
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
    virtual void ButtonOkClick(TObject* Sender);
    void ButtonCancelClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void WriteDUN();

protected:
    // The outside-line field as a number: -1 when empty; false (with the message shown and
    // the focus on the field) when it is not a whole number of -1 or more.
    bool ReadOutsideLine(int& value);

private:
    std::unique_ptr<TRasLibrary> rasLibrary_;  // from FormCreate to FormDestroy
};

extern TFormConfig* FormConfig;
