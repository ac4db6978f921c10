#pragma once
// Sizes are given in twips: 15 twips = 1 pixel at 100 % scale.
#include <QRect>

namespace mk::gui {

constexpr int kTwipsPerPixel = 15;

inline int px(int twips) { return twips / kTwipsPerPixel; }
inline int twips(int pixels) { return pixels * kTwipsPerPixel; }
inline QRect rectTwips(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

}  // namespace mk::gui
