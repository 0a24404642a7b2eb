#include "shell/gui/dockobject.h"

#include <algorithm>

namespace kelvo {

QRect TScreenstopDockObject::AdjustDockRect(const QRect& rect, const QRect& screen) {
    QRect adjusted = rect;
    const int left =
        std::clamp(rect.left(), screen.left(), screen.left() + screen.width() - Margin);
    const int top = std::clamp(rect.top(), screen.top(), screen.top() + screen.height() - Margin);
    adjusted.moveTo(left, top);
    return adjusted;
}

} // namespace kelvo
