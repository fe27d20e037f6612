// The conventional-line edition's settings dialog, and the settings file it shares with
// Mirvane's.
#include "Destinations.h"

#include "app/Discddd.h"
#include "app/Msgdlg.h"
#include "editions/conventional/ConventionalEdition.h"
#include "editions/conventional/FrmconfigConventional.h"
#include "settings/Conf.h"
#include "settings/Xmlvyn.h"
#include "support/app/FormConfigCase.h"

#include <cstdio>

namespace {
const std::string kCampinas = "[Principal]\r\nEstado=sp\r\nCidade=CAMPINAS\r\nDDD=19\r\nOperadora=21\r\n";

class ConventionalDialog : public FormConfigCase {
protected:
    ConventionalDialog() {
        machine.writeProgramFile("tels", kDestinations);
        UseEdition(ConventionalEdition(), "MirvaneRoaming.exe", [] {
            TFormConfigConventional* f = nullptr;
            Application->CreateForm(f);
            return static_cast<TFormConfig*>(f);
        });
    }
    static TFormConfigConventional* D() { return static_cast<TFormConfigConventional*>(FormConfig); }
    // Every entry valid: São Paulo (11) from area code 41 over carrier 21, pulse, modem 1.
    static void FillValid(TForm*) {
        D()->ComboBoxEstado->SetText("SP");
        D()->ComboBoxEstadoClick(D()->ComboBoxEstado);
        D()->ComboBoxCidade->SetText("S\xe3o Paulo");
        D()->EditConfDDD->SetText("41");
        D()->EditConfOperadora->SetText("21");
        Fill("9", 1, 1, "*70")(nullptr);
    }
    std::string ini() { return machine.readProgramFile("Mirvane.ini"); }
};
}  // namespace

TEST_F(ConventionalDialog, ShowingSelectsTheStoredDestinationWhateverItsCaseAndAPickedStateClearsTheCity) {
    const struct {
        std::string ini;
        int state, city;
        AnsiString cities;
        const char* codes;  // the area code and carrier shown
    } cases[] = {
        {kCampinas, 1, 1, "Escolha a cidade\r\nCampinas\r\nS\xe3o Paulo\r\nVila Sem DDD\r\nVila Vazia\r\n", "19/21"},
        {"[Principal]\r\nEstado=MG\r\nOperadora=-3\r\n", -1, -1, "Escolha a cidade\r\n", "/"},
        {"[Principal]\r\nEstado=SPX\r\nDDD=11\r\n", -1, -1, "", "11/"},
    };
    for (auto& c : cases) {
        Start(c.ini);
        Show({[&](TForm* f) {
            EXPECT_EQ(D()->ComboBoxEstado->Items()->Text() + D()->ComboBoxCidade->Items()->Text(),
                      "RJ\r\nSP\r\n" + c.cities);
            EXPECT_EQ(std::pair(D()->ComboBoxEstado->ItemIndex(), D()->ComboBoxCidade->ItemIndex()),
                      std::pair(c.state, c.city));
            EXPECT_EQ(D()->EditConfDDD->Text() + "/" + D()->EditConfOperadora->Text(), c.codes);
            D()->ComboBoxEstado->SetFocus();
            FormRobot::Key(f, Qt::Key_Up);  // the user picks RJ
            if (c.state == 1) {
                EXPECT_EQ(D()->ComboBoxCidade->Items()->Text(), "Escolha a cidade\r\nNiter\xf3i\r\n");
                EXPECT_EQ(D()->ComboBoxCidade->ItemIndex(), 0);
            }
            FormRobot::CloseBox(f);
        }});
        Stop();
    }
}

TEST_F(ConventionalDialog, TheFirstFailingCheckSpeaksAndNothingIsStored) {
    Start(kCampinas);
    const std::string before = ini();
    // Case k breaks checks k to 6 at once: only the k-th is reported.
    const struct {
        std::function<void()> fault;
        AnsiString message;
        TControl* focus;
    } checks[] = {
        {[] { D()->ComboBoxEstado->SetItemIndex(-1); }, "Selecione o estado para onde deseja conectar.",
         D()->ComboBoxEstado},
        {[] { D()->ComboBoxCidade->SetItemIndex(-1); }, "Selecione a cidade para onde deseja conectar.",
         D()->ComboBoxCidade},
        {[] { D()->ComboBoxCidade->SetItemIndex(0); }, "Selecione a cidade para onde deseja conectar.",
         D()->ComboBoxCidade},
        {[] { D()->EditConfDDD->SetText("1a"); }, "Número do DDD inválido."_a, D()->EditConfDDD},
        {[] { D()->EditConfOperadora->SetText("x"); }, "Número da Operadora inválido."_a, D()->EditConfOperadora},
        {[] { D()->EditConfLinhaExterna->SetText("9x"); }, "Número para discar para a linha externa inválido."_a,
         D()->EditConfLinhaExterna},
    };
    for (std::size_t k = 0; k < std::size(checks); ++k) {
        std::vector<MessageBoxRequest> said;
        bool focused = false;
        EXPECT_EQ(Show({[&](TForm* f) {
                      FillValid(f);
                      for (std::size_t i = std::size(checks); i-- > k;) checks[i].fault();
                      std::size_t boxes = RecordedMessageBoxes().size();
                      PressOk(f);
                      said = RecordedMessageBoxes();
                      said.erase(said.begin(), said.begin() + static_cast<long>(boxes));
                      focused = checks[k].focus->Focused();
                      FormRobot::Press(FormConfig->ButtonCancel);
                  }}),
                  mrCancel);
        ASSERT_EQ(said.size(), 1u) << k;
        EXPECT_EQ(said[0].text, checks[k].message) << k;
        EXPECT_TRUE(focused) << k;
        EXPECT_EQ(ini(), before) << k;
    }
}

TEST_F(ConventionalDialog, TheLongDistanceQuestionAndADeclineThatChangesNothing) {
    const std::string eight =
        "[Principal]\r\nEstado=SP\r\nCidade=S\xe3o Paulo\r\nDDD=0\r\nOperadora=21\r\nLinhaExterna=9"
        "\r\nDiscagemPorTom=0\r\nChamada=*70\r\nModem=Conexant HCF\r\n";
    const struct {
        const char *carrier, *ddd;
        bool asked, yes;
    } cases[] = {
        {"", "41", false, false},   // no carrier text: never
        {"0", "11", false, false},  // the destination's own area code
        {"0", "41", true, false},   // any carrier text, "0" included; declined
        {"21", "", true, true},     // no own area code differs from 11
    };
    for (auto& c : cases) {
        std::remove(machine.path("Mirvane.ini").c_str());
        Start("");
        FormRobot robot;
        robot.then([&](TForm* f) {
            FillValid(f);
            D()->EditConfOperadora->SetText(c.carrier);
            D()->EditConfDDD->SetText(c.ddd);
            PressOk(f);
            if (f->ModalResult() == mrOk) return;
            // Declined: the dialog stays, on the city, and nothing has taken effect.
            EXPECT_TRUE(D()->ComboBoxCidade->Focused());
            EXPECT_EQ(Conf->GetModem() + "|" + XMLvyn->GetPhone(), "Modem Padr\xe3o 56K|***");
            FormRobot::Press(FormConfig->ButtonCancel);
        });
        robot.then([&](TForm*) {
            EXPECT_EQ(MsgDialog->Caption() + "|" + MsgDialog->Label1->Caption(),
                      "Ruvozava Corvala|Você estará efetuando uma ligação interurbana para conexão ao Vyn. Isto só é "
                      "necessário caso sua cidade não esteja na lista de localidades onde o Vyn possui acesso. Quer "
                      "continuar mesmo assim?"_a);
            FormRobot::Press(c.yes ? MsgDialog->BtnSim : MsgDialog->BtnNao);
        });
        EXPECT_EQ(FormConfig->ShowModal(), !c.asked || c.yes ? mrOk : mrCancel) << c.carrier << "/" << c.ddd;
        EXPECT_EQ(robot.done(), c.asked);
        EXPECT_EQ(XMLvyn->GetPhone(), c.asked && !c.yes ? "***" : "30001111");
        // Declined: no file. Stored: the eight keys in their order, in Mirvane's file, and the
        // entry dials the city.
        if (c.asked) {
            std::string entry = LastEntry();
            if (!entry.empty()) entry = Field(entry, offsetof(RASENTRYA, szLocalPhoneNumber), 129);
            EXPECT_EQ(ini() + entry, c.yes ? eight + "P9,*7030001111" : "");
        }
        Stop();
    }
}

TEST_F(ConventionalDialog, AvisarDDDStaysInEachProgramsFileAndMirvanesDialogStoresNoCodes) {
    Start(kCampinas);
    FormRobot robot;
    robot.then([](TForm*) {
        frmDiscDDD->CheckBox1->SetChecked(true);
        FormRobot::Press(frmDiscDDD->BitBtn1);
    });
    EXPECT_TRUE(frmDiscDDD->Confirm());
    Stop();
    UseEdition(MirvaneEdition(), "Mirvane.exe", [] {
        Application->CreateForm(FormConfig);
        return FormConfig;
    });
    Start("");
    EXPECT_EQ(Show({PressOk}), mrOk);
    EXPECT_NE(ini().find("Estado=sp\r\nCidade=CAMPINAS\r\nDDD=0\r\nOperadora=0\r\n"), std::string::npos) << ini();
    EXPECT_EQ(machine.readProgramFile("MirvaneRoaming.ini"), "[Principal]\r\nAvisarDDD=0\r\n");
}
