#pragma once
// Brenwick's main window: Mirvane's life cycle and services under a skin of its own (one
// more outline point, seven zones, no connect button, two hover highlights cleared by a
// timer), with real login, status and welcome panels, the full tray menu, a first showing
// without the modem's dial-tone step, a notice about call charges before every dial, and a
// zone that goes back to the Corvala-line program.
#include "app/Main.h"

#include "platform/Timer.h"

class TMainFormConventional : public TMainForm {
public:
    explicit TMainFormConventional(TComponent* Owner);
    ~TMainFormConventional() override;

    TTimer* Timer1;
    TMenuItem* Histricodeconexes1;
    TMenuItem* Checaremails1;
    TMenuItem* Checagemautomticadeemails1;
    TMenuItem* Criarnovaconta1;
    TMenuItem* Links1;
    TMenuItem* PginaInicial1;
    TMenuItem* PramblenoVyn1;
    TMenuItem* Zentel1;
    TMenuItem* CentraldoUsurio1;
    TMenuItem* N2;

    void FormShow(TObject* Sender) override;
    void ShowLoginPanel(bool show) override;
    void ShowStatusPanel(bool show) override;
    void ShowWelcomePanel(bool show) override;

    void FormPaint(TObject* Sender) override;
    void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void ZoneCommand(TSkinZone zone) override;
    void Timer1Timer(TObject* Sender);

    void LabelDialDiscarClick(TObject* Sender) override;
    void OtherEditionCommand() override;
    void Checagemautomticadeemails1Click(TObject* Sender);
    void Criarnovaconta1Click(TObject* Sender);
    void ImageSouNovoClick(TObject* Sender);

    bool OverSettings() const { return overSettings; }
    bool OverNewUser() const { return overNewUser; }

protected:
    void LoadPictures() override;
    void FreePictures() override;
    AnsiString RecordedProgramName() const override { return "MirvaneRoaming.exe"; }

    std::unique_ptr<TBitmap> BMP3;
    std::unique_ptr<TBitmap> BMP4;
    bool overSettings = false;
    bool overNewUser = false;

private:
    void buildMenu();
    void newUserCommand();
    // Draws the highlights whose flags differ from the ones given, straight on the window.
    void repaintHover(bool wasOverSettings, bool wasOverNewUser);
};

// The conventional-line skin: Mirvane's outline with one more point, and its seven zones in
// the order a click tests them.
const std::vector<TPoint>& ConventionalOutline();
const std::vector<TZoneShape>& ConventionalZones();

// Where the hover highlights sit on the skin.
constexpr int kSettingsLeft = 233;
constexpr int kSettingsTop = 73;
constexpr int kNewUserLeft = 344;
constexpr int kNewUserTop = 93;
