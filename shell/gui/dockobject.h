#pragma once
// Keeps a dragged toolbar on the screen: its dock rectangle is shifted, size
// kept, so that at least 32 pixels of it stay visible at the left and top.
#include <QRect>

namespace kelvo {

class TScreenstopDockObject {
public:
    static constexpr int Margin = 32;
    // The rectangle moved into the screen's reach.
    static QRect AdjustDockRect(const QRect& rect, const QRect& screen);
};

} // namespace kelvo
