#include "Graphics.h"

#include "Internal.h"
#include "platform/BmpFile.h"
#include "platform/Resources.h"
#include "platform/SysUtils.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <utility>

#include <sys/mman.h>

std::uint32_t ColorToRgb(TColor c) {
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

TColor RgbToColor(std::uint32_t rgb) {
    return static_cast<TColor>(qRed(rgb)) | static_cast<TColor>(qGreen(rgb)) << 8 |
           static_cast<TColor>(qBlue(rgb)) << 16;
}

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}
TBitmap::TBitmap(const TBitmap& other) : image_(std::make_unique<QImage>(*other.image_)) {}
TBitmap& TBitmap::operator=(const TBitmap& other) {
    *image_ = *other.image_;
    return *this;
}
TBitmap::~TBitmap() = default;

void TBitmap::LoadFromFile(const AnsiString& path) {
    QImage img;
    if (!img.load(QString::fromStdString(NativePath(path)))) throw EFOpenError("Cannot open file \"" + path + "\"");
    *image_ = img.convertToFormat(QImage::Format_ARGB32);
}

void TBitmap::LoadFromResourceName(const AnsiString& name) {
    std::optional<std::string_view> bytes = FindResource(name);
    if (!bytes) throw EResNotFound("Resource " + name + " not found");
    // A skin stored top-down is drawn from the program's own bytes, which live as long as it
    // does: no copy of it is made (a change to the picture makes one). Qt wants its rows on
    // 4-byte boundaries, as the skins' files and the embedded arrays keep them.
    std::optional<BmpRows> rows = TopDownTrueColourRows(*bytes);
    if (rows && reinterpret_cast<std::uintptr_t>(bytes->data() + rows->offset) % 4 == 0) {
        *image_ = QImage(reinterpret_cast<const uchar*>(bytes->data() + rows->offset), rows->width, rows->height,
                         static_cast<qsizetype>(rows->stride), QImage::Format_BGR888);
        return;
    }
    // The plain bitmaps the programs carry are read here; anything else by Qt's readers.
    QImage decoded;
    if (DecodeBmp(*bytes, [&](int width, int height) {
            decoded = QImage(width, height, QImage::Format_ARGB32);
            return decoded.isNull() ? nullptr : reinterpret_cast<std::uint32_t*>(decoded.bits());
        })) {
        *image_ = std::move(decoded);
        return;
    }
    QImage img;
    if (!img.loadFromData(reinterpret_cast<const uchar*>(bytes->data()), static_cast<int>(bytes->size())))
        throw EInvalidGraphic("Resource " + name + " is not a picture");
    *image_ = img.convertToFormat(QImage::Format_ARGB32);
}

void TBitmap::SetSize(int width, int height) {
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::white);
    *image_ = img;
}

int TBitmap::Width() const { return image_->width(); }
int TBitmap::Height() const { return image_->height(); }
bool TBitmap::Empty() const { return image_->isNull(); }
QImage& TBitmap::Image() { return *image_; }
const QImage& TBitmap::Image() const { return *image_; }

TCanvas::TCanvas(QImage* target, std::function<void()> changed) : target_(target), changed_(std::move(changed)) {}

QImage classlib::PrefaultedImage(QSize size, QImage::Format format) {
    if (size.isEmpty()) return QImage(size, format);
    const qsizetype stride = (static_cast<qsizetype>(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() +
                              31) /
                             32 * 4;
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) return QImage(size, format);
    auto release = [](void* info) {
        auto* block = static_cast<std::pair<void*, std::size_t>*>(info);
        munmap(block->first, block->second);
        delete block;
    };
    return QImage(static_cast<uchar*>(memory), size.width(), size.height(), stride, format, release,
                  new std::pair<void*, std::size_t>(memory, bytes));
}

namespace {
// In bands of a few rows: Qt blends a taller picture on helper threads it starts for it.
void drawBanded(QImage& target, QPoint at, const QImage& source, const QRect& part) {
    QPainter p(&target);
    for (int row = 0; row < part.height(); row += classlib::kPaintBand)
        p.drawImage(
            at + QPoint(0, row), source,
            QRect(part.left(), part.top() + row, part.width(), std::min(classlib::kPaintBand, part.height() - row)));
}
}  // namespace

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    if (target_->isNull() || bitmap.Empty()) return;
    drawBanded(*target_, QPoint(x, y), bitmap.Image(), bitmap.Image().rect());
    if (changed_) changed_();
}

void TCanvas::FillRect(int left, int top, int right, int bottom, TColor color) {
    if (target_->isNull()) return;
    {
        QPainter p(target_);
        p.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QColor::fromRgb(ColorToRgb(color)));
    }
    if (changed_) changed_();
}

void TCanvas::CopyRect(int left, int top, int right, int bottom, const TBitmap& source) {
    if (target_->isNull() || source.Empty()) return;
    QRect r(QPoint(left, top), QPoint(right - 1, bottom - 1));
    drawBanded(*target_, r.topLeft(), source.Image(), r);
    if (changed_) changed_();
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!target_->valid(x, y)) return clBlack;
    return RgbToColor(target_->pixel(x, y));
}

void TFont::SetName(const AnsiString& name) {
    name_ = name;
    changed();
}

void TFont::SetHeight(int height) {
    height_ = height;
    changed();
}

void TFont::SetStyle(TFontStyles style) {
    style_ = style;
    changed();
}

void TFont::SetColor(TColor color) {
    color_ = color;
    changed();
}

void TFont::changed() {
    if (OnChange) OnChange();
}
