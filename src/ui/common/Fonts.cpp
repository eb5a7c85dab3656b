#include "ui/common/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>

namespace ql::ui {

namespace {

// A family counts only when its regular face really holds Latin letters (some
// stand-in packages ship a "Tahoma" without a usable character map).
bool Usable(const QString& family)
{
    if (!QFontDatabase::hasFamily(family)) return false;
    QFont font(family);
    font.setPixelSize(12);
    const QRawFont raw = QRawFont::fromFont(font);
    return raw.isValid() && raw.familyName() == family && raw.supportsCharacter(QChar(u'W')) &&
           raw.supportsCharacter(QChar(u'ü'));
}

struct Substitute {
    const char* family;
    const char* standIn;  // first choice; fontconfig's own choice otherwise
};

// Faces whose widths keep the design's texts within their places.
const Substitute Substitutes[] = {
    {"Tahoma", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
};

}  // namespace

void InstallFontSubstitutes()
{
    for (const Substitute& s : Substitutes) {
        const QString family = QString::fromLatin1(s.family);
        if (!Usable(family)) QFont::insertSubstitution(family, QString::fromLatin1(s.standIn));
    }
}

}  // namespace ql::ui
