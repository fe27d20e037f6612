// The dialogs as the user sees them: every text fits its control in the program's fonts.
// With VYN_SHOTS_DIR set, each dialog is also saved there as a PNG to look at.
#include "support/app/AppCase.h"

#include "app/Discddd.h"
#include "app/Frmconfig.h"
#include "app/Msgdlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPixmap>

namespace {
class LookCase : public AppCase {
protected:
    ~LookCase() override {
        ReleaseApplicationForms();
        MsgDialog = nullptr;
        frmDiscDDD = nullptr;
        FormConfig = nullptr;
    }

    // Every label, button and check box of the form shows its whole text.
    static void ExpectTextsFit(TForm* form) {
        for (QLabel* l : form->Widget()->findChildren<QLabel*>()) {
            if (!l->isVisible()) continue;
            SCOPED_TRACE(l->text().toStdString());
            if (l->wordWrap()) EXPECT_LE(l->heightForWidth(l->width()), l->height());
            else EXPECT_LE(l->sizeHint().width(), l->width());
        }
        for (QAbstractButton* b : form->Widget()->findChildren<QAbstractButton*>()) {
            SCOPED_TRACE(b->text().toStdString());
            EXPECT_LE(b->sizeHint().width(), b->width() + (qobject_cast<QCheckBox*>(b) ? 0 : 8));
            EXPECT_LE(b->geometry().right(), b->parentWidget()->width());
            EXPECT_LE(b->geometry().bottom(), b->parentWidget()->height());
        }
    }
    static void Save(TForm* form, const char* name) {
        QByteArray dir = qgetenv("VYN_SHOTS_DIR");
        if (dir.isEmpty()) return;
        QCoreApplication::processEvents();
        EXPECT_TRUE(form->Widget()->grab().save(QString::fromUtf8(dir) + "/" + name + ".png"));
    }
};

TEST_F(LookCase, TheQuestionBoxFitsItsTexts) {
    Application->CreateForm(MsgDialog);
    MsgDialog->SetTexts("O Ruvozava Corvala não é o discador padrão.\nDeseja torná-lo seu discador padrão?"_a,
                        "Ruvozava Corvala");
    MsgDialog->Show();
    ExpectTextsFit(MsgDialog);
    Save(MsgDialog, "msgdialog");
    MsgDialog->SetTexts(
        "Você estará efetuando uma ligação interurbana para conexão ao Vyn. Isto só é necessário "
        "caso sua cidade não esteja na lista de localidades onde o Vyn possui acesso. Quer "
        "continuar mesmo assim?"_a,
        "Ruvozava Corvala");
    ExpectTextsFit(MsgDialog);
    Save(MsgDialog, "msgdialog-long");
}

TEST_F(LookCase, TheLongDistanceConfirmationFitsItsTexts) {
    Application->CreateForm(frmDiscDDD);
    frmDiscDDD->Show();
    ExpectTextsFit(frmDiscDDD);
    Save(frmDiscDDD, "discddd");
}

TEST_F(LookCase, TheSettingsDialogFitsItsTexts) {
    machine.installDialUpService();
    Application->CreateForm(FormConfig);
    FormConfig->ComboBoxModems->Items()->Add("Modem Padrão 56K"_a);
    FormConfig->ComboBoxModems->SetItemIndex(0);
    FormConfig->RadioGroupTomPulso->SetItemIndex(0);
    FormConfig->EditConfChamada->SetText("*70,");
    FormConfig->Show();
    ExpectTextsFit(FormConfig);
    Save(FormConfig, "formconfig");
}
}  // namespace
