#include "ImgList.h"

#include <QImage>

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

int TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
    TBitmap copy(image);
    QImage& img = copy.Image();
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = ColorToRgb(maskColor) & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == mask) line[x] = 0;
    }
    images_.push_back(copy);
    return Count() - 1;
}

bool TImageList::GetBitmap(int index, TBitmap& out) const {
    if (index < 0 || index >= Count()) return false;
    out = images_[static_cast<std::size_t>(index)];
    return true;
}
