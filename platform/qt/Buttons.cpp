#include "Buttons.h"

#include "ImgList.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

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

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::SetKind(TBitBtnKind kind) {
    kind_ = kind;
    if (kind == bkCustom) return;
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
    glyph_.Image() = kindPicture(kind);
    static_cast<QPushButton*>(Widget())->setIcon(QIcon(QPixmap::fromImage(glyph_.Image())));
}

void TBitBtn::SetGlyph(const TBitmap& glyph) {
    TImageList masked(nullptr);
    masked.AddMasked(glyph, clLime);
    masked.GetBitmap(0, glyph_);
    static_cast<QPushButton*>(Widget())->setIcon(QIcon(QPixmap::fromImage(glyph_.Image())));
}
