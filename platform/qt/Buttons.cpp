#include "Buttons.h"

#include "ImgList.h"

#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include <utility>

namespace {
// The kinds' pictures, drawn rather than shipped: a green tick, a red barred circle, and
// for OK and Cancel the same marks.
QImage kindPicture(TBitBtnKind kind) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == bkYes || kind == bkOK) {
        QPainterPath tick;
        tick.moveTo(2.5, 8.5);
        tick.lineTo(6.5, 12.5);
        tick.lineTo(13.5, 3.5);
        p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    } else if (kind == bkNo || kind == bkCancel) {
        QColor red(200, 0, 0);
        p.setPen(QPen(red, 2.0));
        if (kind == bkNo) {
            p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
            p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
        } else {
            p.setPen(QPen(red, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        }
    }
    return img;
}
}  // namespace

// Draws a kind's picture when its button is first made ready to show: drawing it is a start's
// first antialiased painting, and the dialogs holding such buttons seldom show then.
class KindGlyphOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Polish)
            if (auto* b = dynamic_cast<TBitBtn*>(TControl::ControlOf(static_cast<QWidget*>(watched)))) b->Glyph();
        return false;
    }
};

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

const TBitmap& TBitBtn::Glyph() const {
    if (std::exchange(kindGlyphPending_, false)) {
        glyph_.Image() = kindPicture(kind_);
        static_cast<QPushButton*>(Widget())->setIcon(QIcon(QPixmap::fromImage(glyph_.Image())));
    }
    return glyph_;
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == bkCustom) {
        Glyph();  // it keeps the picture it has
        kind_ = kind;
        return;
    }
    kind_ = kind;
    struct Look {
        const char* caption;
        TModalResult result;
        bool isDefault, cancel;
    };
    static const Look looks[] = {
        {"", mrNone, false, false},   {"OK", mrOk, true, false},      {"Cancelar", mrCancel, false, true},
        {"&Sim", mrYes, true, false}, {"&N\xe3o", mrNo, false, true},
    };
    const Look& look = looks[kind];
    SetCaption(look.caption);
    SetModalResult(look.result);
    SetDefault(look.isDefault);
    SetCancel(look.cancel);
    kindGlyphPending_ = true;
    if (Widget()->testAttribute(Qt::WA_WState_Polished)) Glyph();
    else if (!std::exchange(kindGlyphWatched_, true)) Widget()->installEventFilter(new KindGlyphOnShow(Widget()));
}

void TBitBtn::SetGlyph(const TBitmap& glyph) {
    kindGlyphPending_ = false;
    TImageList masked(nullptr);
    masked.AddMasked(glyph, clLime);
    masked.GetBitmap(0, glyph_);
    static_cast<QPushButton*>(Widget())->setIcon(QIcon(QPixmap::fromImage(glyph_.Image())));
}
