#pragma once
// The window's text drawn once, unseen, while it waits for its first query:
// the glyphs of the list's and the labels' fonts are rasterized and their
// text shaping is set up then, not while an open runs and its list first shows.

class QTableView;
class QWidget;

namespace ql::ui {

// Draws rows like the list's (its font, column widths, pictures) and the
// texts of every label and gauge of `window` in their fonts, into pictures
// nobody sees.
void WarmTextDrawing(const QWidget& window, const QTableView& list);

}  // namespace ql::ui
