#pragma once
// The main window: a borderless window cut to the outline of its skin, with hot zones in
// place of buttons, a status view for the dial, and a tray icon with a small menu. It owns
// the process: its creation makes every service object (status log, phone list, settings,
// mail check, failed-dial log, connection report, the engine, the default connection) and
// its destruction deletes them. Its first showing checks the configuration and offers to
// make the program's dial-up entry the default Internet connection.
//
// The other edition's window differs in its skin, zones, panels, first showing and dial
// command: those are virtual, and a derived window may replace the skin after construction
// (SetSkin) and load its own pictures (LoadPictures).
#include "MainSkin.h"

#include "connection/WindowLink.h"
#include "settings/MailTray.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/ExtCtrls.h"
#include "platform/qt/Forms.h"
#include "platform/qt/ImgList.h"
#include "platform/qt/Memo.h"
#include "platform/qt/Menus.h"
#include "platform/qt/StdCtrls.h"
#include "platform/qt/Trayicon.h"

#include <memory>

// What a second start posts to the running one: come forward.
constexpr UINT WM_ACTIVATEINSTANCE = WM_APP + 0x191;
// The program's title: the single-instance name, the application title and the caption.
inline const AnsiString kProgramTitle = "Ruvozava Corvala";

class TMainForm : public TForm, public TWindowLink, public TMailTray {
public:
    explicit TMainForm(TComponent* Owner);
    ~TMainForm() override;
    // 0x8191 goes to OnActivateInstance; every other message to the form's own dispatch.
    void Dispatch(TMessage& message) override;

    TTrayIcon* TrayIcon1;
    TImageList* ImageList1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Restaurar1;
    TMenuItem* Desconectar2;
    TMenuItem* Desconectar1;
    TLabel* Label2;
    TLabel* Label3;
    TComboBox* ComboBoxLogin;
    TLabel* Label8;
    TLabel* Label7;
    TEdit* EditSenha;
    TLabel* LabelDialDiscar;
    TLabel* Label9;
    TMemo* Memo1;
    TLabel* Label10;
    TLabel* Label11;
    TImage* ImageJaSouUsuario;
    TImage* ImageSouNovo;

    // Life cycle and panels.
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    virtual void FormShow(TObject* Sender);
    // 1 login, 2 the settings dialog (a modal pass), 3 dialing and status, 4 welcome.
    void SetPanel(int state) override;
    virtual void ShowLoginPanel(bool show);
    void ShowConfigPanel(bool show);
    virtual void ShowStatusPanel(bool show);
    virtual void ShowWelcomePanel(bool show);

    // Painting and input.
    virtual void FormPaint(TObject* Sender);
    virtual void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void FormMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // What a click released in `zone` does.
    virtual void ZoneCommand(TSkinZone zone);
    void FormKeyPress(TObject* Sender, char& Key);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void OnRestore(TObject* Sender);
    void TrayIcon1Restore(TObject* Sender);
    void OnActivateInstance(TMessage& message);

    // Commands: the zones of the skin...
    void MinimiseCommand();
    void HelpCommand();
    void ConnectCommand();
    virtual void OtherEditionCommand();
    // ...the labels, images and keys...
    virtual void LabelDialDiscarClick(TObject* Sender);
    void Label9Click(TObject* Sender);
    void Label11Click(TObject* Sender);
    void ImageJaSouUsuarioClick(TObject* Sender);
    // ...and the tray menus.
    void Restaurar1Click(TObject* Sender);
    void Desconectar2Click(TObject* Sender);
    void Desconectar1Click(TObject* Sender);
    void Checaremails1Click(TObject* Sender);
    void Histricodeconexes1Click(TObject* Sender);
    void PginaInicial1Click(TObject* Sender);
    void PramblenoVyn1Click(TObject* Sender);
    void Zentel1Click(TObject* Sender);
    void CentraldoUsurio1Click(TObject* Sender);

    // What the engine asks of the window.
    void Repaint() override;
    void SetTrayHint(const AnsiString& hint) override;
    bool ConfirmLongDistance() override;
    void BringToFront() override;
    // What the mail check shows in the tray.
    void ShowMailState(int image, const AnsiString& hint) override;

    // For tests and the other edition.
    int State() const { return state; }
    bool Shown() const { return shown; }
    bool Configured() const { return configured; }
    // False when the creation failed before every service object existed: the error was
    // reported once, the application asked to end, and the window shows nothing.
    bool ServicesMade() const { return servicesMade; }
    bool MustConfigure() const { return mustConfigure; }
    bool OverButton() const { return overButton; }
    bool Dragging() const { return dragging; }
    const TSkinRegions& Skin() const { return *skin; }

protected:
    // Replaces the outline and the zones (a derived window's constructor).
    void SetSkin(const std::vector<TPoint>& outline, const std::vector<TZoneShape>& zones);
    // Loads the skin pictures; the other edition loads its own set.
    virtual void LoadPictures();
    // The file name recorded for the hook libraries beside the program's folder.
    virtual AnsiString RecordedProgramName() const { return "Mirvane.exe"; }
    virtual void FreePictures();
    // The cursor in window coordinates: its screen position minus the window's.
    TPoint CursorPoint() const;
    // While dragging, moves the window after the cursor and says so.
    bool dragTo();
    // The button picture for the engine's state and the cursor.
    const TBitmap& ButtonPicture() const;
    static bool Connecting();  // connected or dialing
    // Refills the login box from the remembered logins.
    void fillLogins();
    // Asks to make the program's entry the default Internet connection, unless it is.
    void OfferDefaultConnection();

    bool configured = false;
    bool servicesMade = false;
    bool dragging = false;
    bool shown = false;
    int dragOriginX = 0;
    int dragOriginY = 0;
    std::unique_ptr<TSkinRegions> skin;
    std::unique_ptr<TBitmap> BMP1;
    std::unique_ptr<TBitmap> BMPCONON;
    std::unique_ptr<TBitmap> BMPCONOFF;
    std::unique_ptr<TBitmap> BMPDESON;
    std::unique_ptr<TBitmap> BMPDESOFF;
    bool overButton = false;
    bool mustConfigure = false;
    int state = 0;

private:
    void buildComponents();
    void makeServices();
};

extern TMainForm* MainForm;

// The path of the other edition's program: "Roaming" before the extension of the file
// name ("...\Mirvane.exe" gives "...\MirvaneRoaming.exe"), after the name when it has none.
AnsiString OtherEditionPath(const AnsiString& programPath);
