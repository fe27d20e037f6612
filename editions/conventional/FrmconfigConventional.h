#pragma once
// The conventional-line edition's settings dialog: Mirvane's, 96 pixels lower, under a
// destination block: the state and city dialled into, the user's own area code and the
// long-distance carrier. Confirming checks the destination and the numbers first, asks
// before a long-distance destination, and only then stores anything: a declined question
// leaves the settings, the modem and the phone list's selection as they were.
#include "app/Frmconfig.h"

class TFormConfigConventional : public TFormConfig {
public:
    explicit TFormConfigConventional(TComponent* Owner);

    TLabel* Label1;
    TComboBox* ComboBoxEstado;
    TComboBox* ComboBoxCidade;
    TLabel* Label4;
    TEdit* EditConfDDD;
    TLabel* Label5;
    TEdit* EditConfOperadora;

    void FormShow(TObject* Sender) override;
    // The user chose a state: its cities, under "Escolha a cidade", which is selected.
    void ComboBoxEstadoClick(TObject* Sender) override;

protected:
    bool CheckEntries(TEntries& entries) override;
    bool ConfirmEntries(const TEntries& entries) override;
    void StoreEntries(const TEntries& entries) override;

private:
    // `edit` as a whole number, `value` left as it is when empty; false (with `message` and
    // the focus on the edit) when the text is no 32-bit whole number.
    static bool ReadNumber(TEdit* edit, int& value, const AnsiString& message);
    // The city list of the state shown, under "Escolha a cidade".
    void fillCities();
};
