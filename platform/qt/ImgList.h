#pragma once
// The class library's image list: small pictures kept by index (the tray's icons).
#include "platform/Component.h"
#include "Graphics.h"

#include <vector>

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    // Adds a copy of `image` in which the pixels of `maskColor` are transparent; its index.
    int AddMasked(const TBitmap& image, TColor maskColor);
    int Count() const { return static_cast<int>(images_.size()); }
    // Copies image `index` into `out`; false when there is none.
    bool GetBitmap(int index, TBitmap& out) const;

private:
    std::vector<TBitmap> images_;
};
