#include "support/app/FormConfigCase.h"

#include "connection/Ieconnection.h"
#include "settings/Conf.h"
#include "settings/Xmlvyn.h"

#include <cstring>

namespace {
// What the settings file holds before the dialog: everything the store knows, the mail
// section after it.
std::string Settings(const std::string& city, const std::string& outside, const std::string& tone,
                     const std::string& modem) {
    return "[Principal]\r\nEstado=SP\r\nCidade=" + city +
           "\r\nUsuario=ana\r\nChamada=*70,\r\nDDD=19\r\n"
           "Operadora=21\r\nLinhaExterna=" +
           outside + "\r\nDiscagemPorTom=" + tone + "\r\nModem=" + modem +
           "\r\n\r\n[EMail]\r\nServidor=pop.vyn.example\r\n";
}

TEST_F(FormConfigCase, TheDialogIsNamedAfterTheProgramAndLaidOut) {
    Start(Settings("Campinas", "-1", "1", "Modem Padrão 56K"_a));
    TFormConfig* f = FormConfig;
    EXPECT_EQ(f->Caption(), "Configurar Ruvozava Corvala");
    EXPECT_EQ(f->ClientWidth(), 274);
    EXPECT_EQ(f->ClientHeight(), 228);
    EXPECT_EQ(f->Label6->Caption(), "Para linha externa discar:");
    EXPECT_EQ(f->Label2->Caption(), "Para desativar chamada em espera discar:");
    EXPECT_EQ(f->Label3->Caption(), "Selecione o modem:");
    EXPECT_EQ(f->RadioGroupTomPulso->Caption(), "Discagem por ");
    EXPECT_EQ(f->RadioGroupTomPulso->Items()->Text(), "Tom\r\nPulso\r\n");
    EXPECT_EQ(f->Button1->Caption(), "Configurar DialUp");
    EXPECT_TRUE(f->ButtonOk->Default());
    EXPECT_TRUE(f->ButtonCancel->Cancel());
    EXPECT_EQ(f->ComboBoxModems->Style(), csDropDownList);
    // Tab goes through the seven controls in the dialog's order, starting at the first.
    std::vector<TControl*> order;
    Show({[&](TForm* form) {
        for (int i = 0; i < 7; ++i) {
            order.push_back(form->ActiveControl());
            FormRobot::Key(form, Qt::Key_Tab);
        }
        FormRobot::CloseBox(form);
    }});
    ASSERT_EQ(order.size(), 7u);
    EXPECT_EQ(order[0], f->EditConfLinhaExterna);
    EXPECT_EQ(order[1], f->EditConfChamada);
    EXPECT_EQ(order[2], f->ComboBoxModems);
    EXPECT_EQ(order[3], f->RadioGroupTomPulso);  // its checked button
    EXPECT_EQ(order[4], f->Button1);
    EXPECT_EQ(order[5], f->ButtonOk);
    EXPECT_EQ(order[6], f->ButtonCancel);
}

TEST_F(FormConfigCase, ShowingFillsTheControlsFromTheSettingsEveryTime) {
    struct Case {
        std::string outside, tone, modem;
        const char* shownOutside;
        int shownTone, shownModem;
    };
    const Case cases[] = {
        {"-1", "1", "Modem Padrão 56K", "", 0, 0},
        {"9", "0", "conexant hcf", "9", 1, 1},  // the modem found ignoring case
        {"0", "1", "Modem de Outra Marca", "0", 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modem);
        Start(Settings("Campinas", c.outside, c.tone, Utf8ToAnsi(c.modem)));
        Show({[&](TForm* f) {
            EXPECT_EQ(FormConfig->EditConfLinhaExterna->Text(), c.shownOutside);
            EXPECT_EQ(FormConfig->RadioGroupTomPulso->ItemIndex(), c.shownTone);
            EXPECT_EQ(FormConfig->ComboBoxModems->Items()->Text(), "Modem Padrão 56K\r\nConexant HCF\r\n"_a);
            EXPECT_EQ(FormConfig->ComboBoxModems->ItemIndex(), c.shownModem);
            EXPECT_EQ(FormConfig->EditConfChamada->Text(), "*70,");
            // Changes left in a cancelled dialog are gone at the next showing.
            FormConfig->EditConfLinhaExterna->SetText("5");
            FormRobot::Key(f, Qt::Key_Escape);
        }});
        Show({[&](TForm* f) {
            EXPECT_EQ(FormConfig->EditConfLinhaExterna->Text(), c.shownOutside);
            FormRobot::CloseBox(f);
        }});
        Stop();
    }
}

TEST_F(FormConfigCase, OkStoresTheSettingsMakesTheEntryTheDefaultAndWritesIt) {
    Start(Settings("Campinas", "-1", "1", "Conexant HCF"));
    EXPECT_FALSE(IEConnection->IsDefault(kEntry));
    EXPECT_EQ(Show({Fill("0", 0, 1, "*70,"), PressOk}), mrOk);

    // The eight keys of the dialog, area code and carrier always 0; the rest as it was.
    EXPECT_EQ(machine.readProgramFile("Mirvane.ini"),
              Utf8ToAnsi("[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\nUsuario=ana\r\nChamada=*70,\r\nDDD=0\r\n"
                         "Operadora=0\r\nLinhaExterna=0\r\nDiscagemPorTom=0\r\nModem=Modem Padrão 56K\r\n\r\n"
                         "[EMail]\r\nServidor=pop.vyn.example\r\n"));
    EXPECT_TRUE(IEConnection->IsDefault(kEntry));

    // The entry: the dial string and the modem written over what it held, nothing else.
    auto writes = sim_->Calls("RasSetEntryPropertiesA");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].Arg("lpszEntry"), kEntry);
    std::string entry = writes[0].Buffer("entry");
    ASSERT_EQ(entry.size(), entryBefore_.size());
    EXPECT_EQ(Field(entry, offsetof(RASENTRYA, szLocalPhoneNumber), 129), "P0,*70,32345678");
    EXPECT_EQ(Field(entry, offsetof(RASENTRYA, szDeviceName), 129), "Modem Padrão 56K"_a);
    std::string expected = entryBefore_;
    std::memset(expected.data() + offsetof(RASENTRYA, szLocalPhoneNumber), 0, 129);
    std::memcpy(expected.data() + offsetof(RASENTRYA, szLocalPhoneNumber), "P0,*70,32345678", 15);
    std::memset(expected.data() + offsetof(RASENTRYA, szDeviceName), 0, 129);
    std::memcpy(expected.data() + offsetof(RASENTRYA, szDeviceName), "Modem Padr\xe3o 56K", 16);
    EXPECT_EQ(entry, expected);

    // Confirming again writes the same again and makes it the default again.
    auto defaultsBefore = sim_->Calls("RasSetAutodialAddressA").size();
    EXPECT_GT(defaultsBefore, 0u);
    std::string iniBefore = machine.readProgramFile("Mirvane.ini");
    EXPECT_EQ(Show({PressOk}), mrOk);
    EXPECT_EQ(machine.readProgramFile("Mirvane.ini"), iniBefore);
    EXPECT_GT(sim_->Calls("RasSetAutodialAddressA").size(), defaultsBefore);
    ASSERT_EQ(sim_->Calls("RasSetEntryPropertiesA").size(), 2u);
    EXPECT_EQ(LastEntry(), entry);
}

TEST_F(FormConfigCase, TheOutsideLineMustBeAWholeNumberOfMinusOneOrMore) {
    struct Case {
        const char* typed;
        const char* stored;  // null: refused
    };
    const Case cases[] = {
        {"", "-1"},      {"-1", "-1"},     {"0", "0"},
        {"9", "9"},      {"abc", nullptr}, {"1a", nullptr},
        {"-2", nullptr}, {"-15", nullptr}, {"99999999999", nullptr},
    };
    Start(Settings("Campinas", "-1", "1", "Conexant HCF"));
    const AnsiString refusal = "Número para discar para a linha externa inválido."_a;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        TypeAndPressOk(FormConfig->EditConfLinhaExterna, c.typed, c.stored ? nullptr : refusal.c_str());
        if (c.stored) {
            std::string ini = machine.readProgramFile("Mirvane.ini");
            EXPECT_NE(ini.find(std::string("LinhaExterna=") + c.stored + "\r\n"), std::string::npos) << ini;
        } else {
            EXPECT_TRUE(sim_->Calls("RasSetAutodialAddressA").empty());
        }
    }
}

TEST_F(FormConfigCase, ACallWaitingCodeWithALineBreakIsRefused) {
    const struct {
        std::string typed;
        bool stored;
    } cases[] = {
        {"*70,", true},
        {"*70\r\n[EMail]\r\nServidor=pop.outro.example", false},
        {"*70\n", false},
        {"\r", false},
        {std::string("*7\0"
                     "0",
                     4),
         false},
    };
    Start(Settings("Campinas", "-1", "1", "Conexant HCF"));
    const AnsiString refusal = "Código para desativar chamada em espera inválido: não use quebras de linha."_a;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TypeAndPressOk(FormConfig->EditConfChamada, c.typed, c.stored ? nullptr : refusal.c_str());
        if (!c.stored) {
            EXPECT_EQ(Services().Settings().GetChamada(), "*70,");
        }
    }
}

TEST_F(FormConfigCase, CancelEscAndTheCloseBoxStoreNothing) {
    Start(Settings("Campinas", "-1", "1", "Conexant HCF"));
    const std::string before = machine.readProgramFile("Mirvane.ini");
    const FormRobot::Step ends[] = {
        [](TForm*) { FormRobot::Press(FormConfig->ButtonCancel); },
        [](TForm* f) { FormRobot::Key(f, Qt::Key_Escape); },
        [](TForm* f) { FormRobot::CloseBox(f); },
    };
    for (const FormRobot::Step& end : ends) {
        EXPECT_EQ(Show({Fill("7", 0, 1, "#31#"), end}), mrCancel);
        EXPECT_EQ(machine.readProgramFile("Mirvane.ini"), before);
    }
    EXPECT_FALSE(IEConnection->IsDefault(kEntry));
    EXPECT_TRUE(sim_->Calls("RasSetEntryPropertiesA").empty());
    // Enter in a field is OK.
    EXPECT_EQ(Show({Fill("7", 1, 0, ""),
                    [](TForm* f) {
                        FormConfig->EditConfChamada->SetFocus();
                        FormRobot::Key(f, Qt::Key_Return);
                    }}),
              mrOk);
    EXPECT_NE(machine.readProgramFile("Mirvane.ini").find("LinhaExterna=7\r\n"), std::string::npos);
    EXPECT_EQ(Field(LastEntry(), offsetof(RASENTRYA, szLocalPhoneNumber), 129), "7,32345678");
}

TEST_F(FormConfigCase, WithoutACityTheEntryKeepsItsNumberAndModem) {
    Start(Settings("Cidade Desconhecida", "-1", "1", "Conexant HCF"));
    ASSERT_EQ(XMLvyn->GetPhone(), "***");
    EXPECT_EQ(Show({Fill("", 0, 0, ""), PressOk}), mrOk);
    EXPECT_NE(machine.readProgramFile("Mirvane.ini").find("Modem=Modem Padrão 56K\r\n"_a), std::string::npos);
    EXPECT_TRUE(IEConnection->IsDefault(kEntry));
    EXPECT_TRUE(sim_->Calls("RasSetEntryPropertiesA").empty());
    // A stored modem that is not installed: nothing selected, and an empty name stored.
    EXPECT_EQ(Show({[](TForm* f) {
                  FormConfig->ComboBoxModems->SetItemIndex(-1);
                  PressOk(f);
              }}),
              mrOk);
    EXPECT_NE(machine.readProgramFile("Mirvane.ini").find("Modem=\r\n"), std::string::npos);
}

TEST_F(FormConfigCase, TheDialUpButtonOpensTheSystemsEditorOnTheEntry) {
    Start(Settings("Campinas", "-1", "1", "Conexant HCF"));
    EXPECT_EQ(Show({[](TForm* f) {
                  FormRobot::Press(FormConfig->Button1);
                  EXPECT_TRUE(f->Widget()->isVisible());
                  FormRobot::CloseBox(f);
              }}),
              mrCancel);
    auto edits = sim_->Calls("RasEditPhonebookEntryA");
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].Arg("lpszEntryName"), kEntry);
    EXPECT_EQ(edits[0].Arg("lpszPhonebook"), "null");
    EXPECT_EQ(edits[0].Arg("hwnd"), "null");
}

TEST_F(FormConfigCase, WithoutTheEditorTheProgramEnds) {
    machine.writeMachineFile("hidden-exports.txt", "RASAPI32.DLL RasEditPhonebookEntryA\n");
    TFormConfig* form = nullptr;
    Application->CreateForm(form);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(form->Caption(), "Configurar Ruvozava Corvala");
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede "
              "Dial-Up esteja instalado e atualizado."_a);
    EXPECT_EQ(boxes[0].caption, "Ruvozava Corvala");
}
}  // namespace
