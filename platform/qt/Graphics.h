#pragma once
// Pictures, fonts and drawing: TBitmap holds an image, TFont describes a control's text,
// TCanvas draws on a form (or bitmap).
#include "platform/AnsiString.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>

class QImage;

// 0x00BBGGRR, as the class library keeps colours.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBtnFace = 0xC8D0D4;
constexpr TColor clNavy = 0x800000;
// Not a colour: the control keeps what its parent gives it.
constexpr TColor clDefault = 0x20000000;

// A resource the program does not hold.
class EResNotFound : public Exception {
    using Exception::Exception;
};

using TFontStyles = unsigned;
enum : TFontStyles { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A control's font. What is never set comes from the parent (the form's font reaches its
// controls), as the class library's ParentFont does. Height is in pixels: negative for the
// height of the characters, as the forms give it ("MS Sans Serif", -11); Size in points.
class TFont {
public:
    AnsiString Name() const { return name_; }
    void SetName(const AnsiString& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const { return -height_ * 72 / 96; }
    void SetSize(int points) { SetHeight(-(points * 96 + 36) / 72); }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    std::function<void()> OnChange;  // the control that shows it

private:
    void changed();
    AnsiString name_;
    int height_ = 0;  // 0: the parent's
    TFontStyles style_ = 0;
    TColor color_ = clDefault;
};

class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

class TBitmap {
public:
    TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();
    // Any format Qt reads (BMP, PNG); raises EFOpenError naming the file.
    void LoadFromFile(const AnsiString& path);
    // A picture the program holds by name (a BMP embedded with vyn_embed_resources); raises
    // EResNotFound naming it when there is none, EInvalidGraphic when it is no picture.
    void LoadFromResourceName(const AnsiString& name);
    void SetSize(int width, int height);
    int Width() const;
    int Height() const;
    bool Empty() const;
    QImage& Image();
    const QImage& Image() const;

private:
    std::unique_ptr<QImage> image_;
};

class TCanvas {
public:
    // Draws into `target`; `changed` is told after each drawing (a form repaints).
    TCanvas(QImage* target, std::function<void()> changed);
    void Draw(int x, int y, const TBitmap& bitmap);
    void FillRect(int left, int top, int right, int bottom, TColor color);
    // The rectangle (left, top)-(right, bottom) of `source` to the same place here.
    void CopyRect(int left, int top, int right, int bottom, const TBitmap& source);
    TColor Pixel(int x, int y) const;  // clBlack outside the picture

private:
    QImage* target_;
    std::function<void()> changed_;
};

// Qt's colour of a TColor and back (for the layer's units).
std::uint32_t ColorToRgb(TColor color);
TColor RgbToColor(std::uint32_t rgb);
