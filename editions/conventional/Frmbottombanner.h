#pragma once
// Brenwick's banner: a small picture in the top-right corner of the work area that stays
// above the other windows for a minute. A click on it hands the user to a dialer (the
// Corvala-line program when it runs, else this program with its window); the top-right
// corner closes it early; at the end, unless a dialer was handed the user, it starts this
// program hidden in the tray. Then the banner process ends.
#include "platform/Timer.h"
#include "platform/qt/Forms.h"

#include <memory>

class TBanner : public TForm {
public:
    explicit TBanner(TComponent* Owner);
    ~TBanner() override;

    TTimer* TimerAnim;

    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void FormPaint(TObject* Sender);
    void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ImageClick(TObject* Sender);
    void TimerAnimTimer(TObject* Sender);

    // For tests.
    bool Clicked() const { return clicked; }
    static int TimeLeft();

private:
    void ActivateDialer();

    std::unique_ptr<TBitmap> bitmap;
    bool clicked = false;
};

extern TBanner* Banner;
