#pragma once
// Brenwick's four forms on the main window's bench: the test program stands in for
// "MirvaneRoaming.exe", the conventional-line edition is the program's, and the phone list
// holds the test destinations. The skin and hover pictures are plain colours unless a case
// asks for the program's own.
#include "Destinations.h"

#include "editions/conventional/ConventionalEdition.h"
#include "editions/conventional/FrmconfigConventional.h"
#include "editions/conventional/MainConventional.h"
#include "platform/qt/WinUser.h"
#include "support/app/MainFormCase.h"

#include <QImage>
#include <QWidget>

constexpr TColor kSettingsColour = 0x3080F0;
constexpr TColor kNewUserColour = 0xF08030;

class TestConventionalForm : public TMainFormConventional {
public:
    explicit TestConventionalForm(TComponent* owner) : TMainFormConventional(owner) {}
    static inline bool realPictures = false;

protected:
    void LoadPictures() override {
        if (realPictures) return TMainFormConventional::LoadPictures();
        auto plain = [](std::unique_ptr<TBitmap>& bitmap, int width, int height, TColor colour) {
            bitmap = std::make_unique<TBitmap>();
            bitmap->SetSize(width, height);
            bitmap->Image().fill(QColor::fromRgb(ColorToRgb(colour)));
        };
        plain(BMP1, kSkinWidth, kSkinHeight, kSkinColour);
        plain(BMP3, 92, 34, kSettingsColour);
        plain(BMP4, 59, 34, kNewUserColour);
    }
};

class BrenwickCase : public MainFormCase {
protected:
    BrenwickCase() : MainFormCase("MirvaneRoaming.exe"), previous_(ProgramEdition) {
        TestConventionalForm::realPictures = false;
        ProgramEdition = &ConventionalEdition();
        machine.writeProgramFile("tels", kDestinations);
    }
    ~BrenwickCase() override { ProgramEdition = previous_; }

    TMainForm* CreateMainForm() override {
        TestConventionalForm* form = nullptr;
        Application->CreateForm(form);
        return form;
    }
    TFormConfig* CreateFormConfig() override {
        TFormConfigConventional* dialog = nullptr;
        Application->CreateForm(dialog);
        return dialog;
    }
    // A destination in the shared settings file: configured, with no long-distance question.
    void Configure() { machine.writeProgramFile("Mirvane.ini", "[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\n"); }
    static TMainFormConventional* W() { return static_cast<TMainFormConventional*>(MainForm); }
    // The cursor at window coordinates without an event; the picture as drawn, unpainted.
    void cursorAt(int x, int y) { SetCursorPos(MainForm->Left() + x, MainForm->Top() + y); }
    static TColor drawnAt(int x, int y) { return RgbToColor(MainForm->Backing().pixel(x, y) & 0xFFFFFF); }

private:
    const TEdition* previous_;
};

inline const AnsiString kChargesNotice =
    "Atenção: Se você está discando pela linha convencional, suas ligações\n"
    "para a Internet serão cobradas conforme preços da sua operadora."_a;
