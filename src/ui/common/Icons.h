#pragma once
// The program's own pictures, drawn at start: the 13 cache-type icons of the
// list, the menu pictures, and the pictures on the buttons.

#include <QIcon>
#include <QPixmap>

namespace ql::ui {

// imgCacheTyp: 0..11 the cache types in table order, 12 the not-in-polygon marker.
constexpr int CacheTypeIconCount = 13;
QIcon CacheTypeIcon(int index);

// ImageList1: the pictures the menu and the actions use.
enum MenuPictureIndex { PictureOpen = 1, PictureExit = 13, PictureInfo = 18, PictureHelp = 20, PictureCheck = 21 };
QIcon MenuPicture(MenuPictureIndex index);

// The 24 x 24 picture on the "Check RLP" button.
QIcon CheckRlpButtonPicture();

// The OK picture of the loader, tally and final-coordinates buttons (18 x 18,
// with a disabled state).
QIcon OkButtonPicture();

}  // namespace ql::ui
