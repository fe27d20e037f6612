#pragma once
// Mirvane's four forms on the engine's bench (support/engine/EngineBench), made as the
// program start makes them, every box and modal form answered by the test. The main
// window's skin pictures are plain colours here, one per picture, so a test reads which one
// was drawn from a pixel. Another edition's case names its program file and makes its own
// main window and settings dialog.
#include "ShellLog.h"
#include "support/engine/EngineBench.h"
#include "support/qt/PumpUntil.h"

#include "app/Main.h"

#include <QPoint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class QWidget;
class TFormConfig;

// The colours of the test pictures (0x00BBGGRR).
constexpr TColor kSkinColour = 0x404040;
constexpr TColor kConOnColour = 0x00C000;
constexpr TColor kConOffColour = 0xC00000;
constexpr TColor kDesOnColour = 0x0000C0;
constexpr TColor kDesOffColour = 0x00C0C0;

class TestMainForm : public TMainForm {
public:
    explicit TestMainForm(TComponent* owner) : TMainForm(owner) {}
    static bool realPictures;  // the program's own pictures instead of the colours

protected:
    void LoadPictures() override;
};

class MainFormCase : public ::testing::Test, protected EngineBench {
protected:
    explicit MainFormCase(const std::string& programFile = "Mirvane.exe");
    ~MainFormCase() override;

    // The edition's main window and settings dialog, made through Application->CreateForm.
    virtual TMainForm* CreateMainForm();
    virtual TFormConfig* CreateFormConfig();

    // Makes the four forms in the program's order; with `show` the main form is then shown
    // as the message loop's start shows it ("--minimized" leaves it hidden).
    void StartProgram(bool show = true);
    void Advance(int64_t ms) { RunTo(Ms() + ms); }
    // Serves the UI thread until the main window's engine has ended its connected sequence.
    void WaitForSequence();
    // Dials from the login state with Enter and lets the dial reach `connected`.
    void ConnectByEnter();

    QWidget* window() const;
    // Mouse events on the main window at window coordinates, or at screen coordinates.
    void press(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void move(int x, int y);
    void release(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void click(int x, int y) {
        press(x, y);
        release(x, y);
    }
    void mouseAtScreen(int type, QPoint screen, Qt::MouseButton button, Qt::MouseButtons held);
    // A key typed on `target` (the main window when null).
    void key(int qtKey, QWidget* target = nullptr);
    // Paints the main window now and reads its picture.
    TColor paintedAt(int x, int y);

    std::vector<MessageBoxRequest> boxes() const { return machine.boxes(); }
    std::vector<AnsiString> boxTexts() const;
    // Boxes whose text is exactly `text`.
    int boxesSaying(const AnsiString& text) const;
    std::vector<AnsiString> statusLines() const;
};

// The question of the first showing.
AnsiString DefaultQuestion();
