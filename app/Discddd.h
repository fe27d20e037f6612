#pragma once
// The long-distance (DDD) confirmation, with a check box against further questions. The
// answer "not again" lives in the program's own ini file (the program's path with ".ini"),
// section Principal, key AvisarDDD.
#include "platform/qt/Buttons.h"
#include "platform/qt/Forms.h"
#include "platform/qt/StdCtrls.h"

class TfrmDiscDDD : public TForm {
public:
    explicit TfrmDiscDDD(TComponent* Owner);
    ~TfrmDiscDDD() override;

    TLabel* Label1;
    TCheckBox* CheckBox1;
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;

    // True lets the long-distance call go on. Asks unless AvisarDDD is false; a "&Sim" with
    // the box ticked stores AvisarDDD = false (a refused write is reported as one status
    // line, and the answer still counts). Any thread; it takes its turn among the questions.
    bool Confirm();

protected:
    AnsiString ModalText() const override { return Label1->Caption(); }
};

extern TfrmDiscDDD* frmDiscDDD;
