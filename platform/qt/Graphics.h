#pragma once
// Pictures and drawing: TBitmap holds an image, TCanvas draws on a form (or bitmap).
#include "platform/AnsiString.h"

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

class TBitmap {
public:
    TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();
    // Any format Qt reads (BMP, PNG); raises EFOpenError naming the file.
    void LoadFromFile(const AnsiString& path);
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
    TColor Pixel(int x, int y) const;  // clBlack outside the picture

private:
    QImage* target_;
    std::function<void()> changed_;
};

// Qt's colour of a TColor and back (for the layer's units).
std::uint32_t ColorToRgb(TColor color);
TColor RgbToColor(std::uint32_t rgb);
