#pragma once
// The windows are designed in Tahoma, MS Sans Serif and Arial. Where the
// system lacks a usable font of that name, a look-alike stands in.

namespace ql::ui {

void InstallFontSubstitutes();

}  // namespace ql::ui
