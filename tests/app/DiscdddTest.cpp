#include "support/app/AppCase.h"

#include "app/Discddd.h"
#include "app/Msgdlg.h"
#include "settings/Log.h"

#include <filesystem>

namespace {
class DiscDDDCase : public AppCase {
protected:
    DiscDDDCase() {
        Application->CreateForm(MsgDialog);
        Application->CreateForm(frmDiscDDD);
    }
    ~DiscDDDCase() override {
        ReleaseApplicationForms();
        MsgDialog = nullptr;
        frmDiscDDD = nullptr;
        delete Logger;
        Logger = nullptr;
    }
    std::string ini() const { return machine.readProgramFile("Mirvane.ini"); }
    bool iniExists() const { return std::filesystem::exists(machine.path("Mirvane.ini")); }
    static TfrmDiscDDD* dialog(TForm* f) { return static_cast<TfrmDiscDDD*>(f); }
};

TEST_F(DiscDDDCase, TheConfirmationIsLaidOutWithItsKindsOfButtons) {
    TfrmDiscDDD* d = frmDiscDDD;
    EXPECT_EQ(d->Caption(), "Discagem DDD");
    EXPECT_EQ(d->ClientWidth(), 297);
    EXPECT_EQ(d->ClientHeight(), 118);
    EXPECT_EQ(d->BorderStyle(), bsSingle);
    EXPECT_EQ(d->Label1->Caption(), "Você está fazendo uma discagem DDD. Deseja continuar?"_a);
    EXPECT_EQ(d->CheckBox1->Caption(), "Não perguntar novamente"_a);
    EXPECT_FALSE(d->CheckBox1->Checked());
    EXPECT_EQ(d->BitBtn1->Caption(), "&Sim");
    EXPECT_EQ(d->BitBtn2->Caption(), "&Não"_a);
    EXPECT_TRUE(d->BitBtn1->Default());
    EXPECT_TRUE(d->BitBtn2->Cancel());
    EXPECT_EQ(d->BitBtn1->ModalResult(), mrYes);
    EXPECT_EQ(d->BitBtn2->ModalResult(), mrNo);
    EXPECT_FALSE(d->BitBtn1->Glyph().Empty());
}

TEST_F(DiscDDDCase, ConfirmAsksUnlessToldNotToAndStoresOnlyAYesWithTheBoxTicked) {
    struct Case {
        const char* what;
        const char* iniBefore;  // null: no file
        bool tick;
        FormRobot::Step answer;  // null: the dialog must not show
        bool result;
        const char* iniAfter;  // null: no file
    };
    auto yes = [](TForm* f) { FormRobot::Press(dialog(f)->BitBtn1); };
    auto no = [](TForm* f) { FormRobot::Press(dialog(f)->BitBtn2); };
    auto enter = [](TForm* f) { FormRobot::Key(f, Qt::Key_Return); };
    auto esc = [](TForm* f) { FormRobot::Key(f, Qt::Key_Escape); };
    auto closeBox = [](TForm* f) { FormRobot::CloseBox(f); };
    const char* other = "[Principal]\r\nEstado=SP\r\n\r\n[EMail]\r\nServidor=pop.vyn.example\r\n";
    const Case cases[] = {
        {"told not to ask", "[Principal]\r\nAvisarDDD=0\r\n", false, nullptr, true, "[Principal]\r\nAvisarDDD=0\r\n"},
        {"no file: yes without the box", nullptr, false, yes, true, nullptr},
        {"box ticked, no", nullptr, true, no, false, nullptr},
        {"box ticked, Esc", nullptr, true, esc, false, nullptr},
        {"box ticked, close box", nullptr, true, closeBox, false, nullptr},
        {"box ticked, yes", nullptr, true, yes, true, "[Principal]\r\nAvisarDDD=0\r\n"},
        {"box ticked, Enter, beside other keys", other, true, enter, true,
         "[Principal]\r\nEstado=SP\r\nAvisarDDD=0\r\n\r\n[EMail]\r\nServidor=pop.vyn.example\r\n"},
        {"asked again when it says true", "[Principal]\r\nAvisarDDD=1\r\n", false, yes, true,
         "[Principal]\r\nAvisarDDD=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(machine.path("Mirvane.ini"));
        if (c.iniBefore) machine.writeProgramFile("Mirvane.ini", c.iniBefore);
        frmDiscDDD->CheckBox1->SetChecked(false);
        FormRobot robot;
        if (c.answer)
            robot.then([&](TForm* f) {
                EXPECT_EQ(f, frmDiscDDD);
                dialog(f)->CheckBox1->SetChecked(c.tick);
                c.answer(f);
            });
        EXPECT_EQ(frmDiscDDD->Confirm(), c.result);
        EXPECT_EQ(robot.shown.size(), c.answer ? 1u : 0u);
        EXPECT_EQ(iniExists(), c.iniAfter != nullptr);
        if (c.iniAfter) {
            EXPECT_EQ(ini(), c.iniAfter);
        }
    }
}

TEST_F(DiscDDDCase, OnceToldNotToAskLaterCallsGoOnSilentlyAndTheTickStays) {
    FormRobot robot;
    robot.then([](TForm* f) {
        dialog(f)->CheckBox1->SetChecked(true);
        FormRobot::Press(dialog(f)->BitBtn2);  // ticked, but "Não": nothing stored
    });
    robot.then([](TForm* f) {
        EXPECT_TRUE(dialog(f)->CheckBox1->Checked());  // kept from the last showing
        FormRobot::Press(dialog(f)->BitBtn1);
    });
    EXPECT_FALSE(frmDiscDDD->Confirm());
    EXPECT_TRUE(frmDiscDDD->Confirm());
    EXPECT_TRUE(frmDiscDDD->Confirm());
    EXPECT_TRUE(frmDiscDDD->Confirm());
    EXPECT_EQ(robot.shown.size(), 2u);
}

TEST_F(DiscDDDCase, ARefusedWriteKeepsTheYesAndIsOneStatusLine) {
    Logger = new TLogger;
    // Something that is no file stands where the ini file goes: the write is refused.
    std::filesystem::create_directory(machine.path("Mirvane.ini"));
    FormRobot robot;
    robot.then([](TForm* f) {
        dialog(f)->CheckBox1->SetChecked(true);
        FormRobot::Press(dialog(f)->BitBtn1);
    });
    EXPECT_TRUE(frmDiscDDD->Confirm());
    std::vector<AnsiString> lines = Logger->Lines();
    ASSERT_EQ(lines.size(), 1u);
    // In the system's own language, naming the file.
    EXPECT_EQ(lines[0], "Não foi possível gravar \"Não perguntar novamente\" em "_a +
                            ChangeFileExt(Application->ExeName(), ".ini") + ".");
    EXPECT_EQ(RecordedMessageBoxes().size(), 1u);  // the question only: no error box
    // The question comes back next time, as nothing was stored.
    robot.then([](TForm* f) { FormRobot::Press(dialog(f)->BitBtn2); });
    EXPECT_FALSE(frmDiscDDD->Confirm());
}

TEST_F(DiscDDDCase, TheConfirmationTakesItsTurnAfterAnOpenQuestion) {
    FormRobot robot;
    bool confirmed = false;
    robot.then([&](TForm* question) {
        QueueOnUiThread([&] { confirmed = frmDiscDDD->Confirm(); });
        QueueOnUiThread([&, question] {
            EXPECT_EQ(QuestionsWaiting(), 1);
            EXPECT_FALSE(frmDiscDDD->Widget()->isVisible());
            FormRobot::Press(static_cast<TMsgDialog*>(question)->BtnNao);
        });
    });
    robot.then([&](TForm* f) {
        EXPECT_EQ(f, frmDiscDDD);
        EXPECT_FALSE(MsgDialog->Widget()->isVisible());
        FormRobot::Press(dialog(f)->BitBtn1);
    });
    EXPECT_EQ(AskYesNo("Deseja continuar?", "Ruvozava Corvala"), 7);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(robot.shown.size(), 2u);
}

TEST_F(DiscDDDCase, AConfirmationAskedInsideAnotherHonoursItsAnswer) {
    // The open one is answered "Sim" with the box ticked: the one waiting asks no more.
    FormRobot robot;
    int inner = -1;
    robot.then([&](TForm* f) {
        QueueOnUiThread([&] { inner = frmDiscDDD->Confirm() ? 1 : 0; });
        QueueOnUiThread([f] {
            EXPECT_EQ(QuestionsWaiting(), 1);
            dialog(f)->CheckBox1->SetChecked(true);
            FormRobot::Press(dialog(f)->BitBtn1);
        });
    });
    EXPECT_TRUE(frmDiscDDD->Confirm());
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(robot.shown.size(), 1u);
    EXPECT_EQ(ini(), "[Principal]\r\nAvisarDDD=0\r\n");

    // Answered "Não": the waiting one is asked in a dialog like it, with the same tick.
    std::filesystem::remove(machine.path("Mirvane.ini"));
    frmDiscDDD->CheckBox1->SetChecked(false);
    FormRobot again;
    again.then([&](TForm* f) {
        QueueOnUiThread([&] { inner = frmDiscDDD->Confirm() ? 1 : 0; });
        QueueOnUiThread([f] {
            dialog(f)->CheckBox1->SetChecked(true);
            FormRobot::Press(dialog(f)->BitBtn2);
        });
    });
    again.then([&](TForm* f) {
        EXPECT_NE(f, frmDiscDDD);
        EXPECT_TRUE(dialog(f)->CheckBox1->Checked());
        dialog(f)->CheckBox1->SetChecked(false);
        FormRobot::Press(dialog(f)->BitBtn1);
    });
    EXPECT_FALSE(frmDiscDDD->Confirm());
    EXPECT_EQ(inner, 1);
    EXPECT_FALSE(frmDiscDDD->CheckBox1->Checked());  // the inner answer's tick came back
    EXPECT_FALSE(iniExists());
}
}  // namespace
