#pragma once
// The maker's logo: a square picture with a transparent background, drawn at start.

#include <QPixmap>

namespace ql::ui {

// A honeycomb cell boundary around a map pin, size x size pixels.
QPixmap MakerLogo(int size = 256);

}  // namespace ql::ui
