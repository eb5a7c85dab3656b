#include "ui/common/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>

namespace ql::ui {

namespace {

enum class Shape { Box, Circle, Diamond, Flag };

struct TypePicture {
    const char* letter;
    QRgb fill;
    Shape shape;
};

// Cache types in table order, then the not-in-polygon marker.
constexpr std::array<TypePicture, CacheTypeIconCount> TypePictures = {{
    // letter  fill        shape
    {"T",  0xFF2E8B23, Shape::Box},      // traditional
    {"M",  0xFFE08A00, Shape::Box},      // multi
    {"?",  0xFF1E50C8, Shape::Box},      // unknown
    {"E",  0xFF8B5A2B, Shape::Circle},   // earthcache
    {"W",  0xFF607080, Shape::Box},      // webcam
    {"W",  0xFF2080C0, Shape::Circle},   // wherigo
    {"C",  0xFF3C9A3C, Shape::Diamond},  // cache in trash out event
    {"L",  0xFF2060A0, Shape::Box},      // letterbox hybrid
    {"E",  0xFFD02020, Shape::Diamond},  // event
    {"M",  0xFFB01070, Shape::Diamond},  // mega-event
    {"G",  0xFF700070, Shape::Diamond},  // giga-event
    {"V",  0xFF7F7F7F, Shape::Circle},   // virtual
    {"!",  0xFFFF8000, Shape::Flag},     // not in polygon
}};

QPixmap Blank(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap DrawTypePicture(const TypePicture& p)
{
    QPixmap pm = Blank(16);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0, 0, 0, 160), 1));
    g.setBrush(QColor::fromRgba(p.fill));
    switch (p.shape) {
    case Shape::Box: g.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2); break;
    case Shape::Circle: g.drawEllipse(QRectF(1.5, 1.5, 13, 13)); break;
    case Shape::Diamond: g.drawPolygon(QPolygonF({{8, 0.5}, {15.5, 8}, {8, 15.5}, {0.5, 8}})); break;
    case Shape::Flag: g.drawPolygon(QPolygonF({{8, 1}, {15, 14.5}, {1, 14.5}})); break;
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(p.shape == Shape::Flag ? 9 : 10);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRectF(0, p.shape == Shape::Flag ? 3 : 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(p.letter));
    return pm;
}

QPixmap DrawOpen()
{
    QPixmap pm = Blank(16);
    QPainter g(&pm);
    g.setPen(QColor(120, 90, 0));
    g.setBrush(QColor(240, 200, 80));
    g.drawRect(1, 4, 13, 10);
    g.setBrush(QColor(255, 225, 120));
    g.drawPolygon(QPolygon({{1, 14}, {4, 7}, {15, 7}, {13, 14}}));
    return pm;
}

QPixmap DrawExit()
{
    QPixmap pm = Blank(16);
    QPainter g(&pm);
    g.setPen(QColor(90, 60, 30));
    g.setBrush(QColor(170, 120, 70));
    g.drawRect(2, 1, 8, 14);
    g.setPen(QPen(QColor(200, 0, 0), 2));
    g.drawLine(8, 8, 15, 8);
    g.drawLine(12, 5, 15, 8);
    g.drawLine(12, 11, 15, 8);
    return pm;
}

QPixmap DrawLetterDisc(const char* letter, QColor fill)
{
    QPixmap pm = Blank(16);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(fill.darker(150));
    g.setBrush(fill);
    g.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(12);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(letter));
    return pm;
}

// Rheinland-Pfalz as a small map with a tick: the district check.
QPixmap DrawCheck(int size)
{
    QPixmap pm = Blank(size);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 16.0, size / 16.0);
    g.setPen(QColor(0, 80, 0));
    g.setBrush(QColor(120, 200, 120));
    g.drawPolygon(QPolygonF({{5, 1}, {11, 2}, {13, 6}, {12, 11}, {14, 15}, {6, 14}, {2, 11}, {3, 5}}));
    g.setPen(QPen(QColor(200, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QPolygonF({{4.5, 8}, {7.5, 11.5}, {13, 3.5}}));
    return pm;
}

QPixmap DrawOk(bool enabled)
{
    QPixmap pm = Blank(18);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(enabled ? QColor(0, 128, 0) : QColor(128, 128, 128), 3, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    g.drawPolyline(QPolygonF({{3, 9.5}, {7.5, 14}, {15, 4}}));
    return pm;
}

}  // namespace

QIcon CacheTypeIcon(int index)
{
    static const std::array<QIcon, CacheTypeIconCount> icons = [] {
        std::array<QIcon, CacheTypeIconCount> all;
        for (int i = 0; i < CacheTypeIconCount; ++i) all[i] = QIcon(DrawTypePicture(TypePictures[i]));
        return all;
    }();
    return index >= 0 && index < CacheTypeIconCount ? icons[index] : QIcon();
}

QIcon MenuPicture(MenuPictureIndex index)
{
    switch (index) {
    case PictureOpen: return QIcon(DrawOpen());
    case PictureExit: return QIcon(DrawExit());
    case PictureInfo: return QIcon(DrawLetterDisc("i", QColor(30, 80, 200)));
    case PictureHelp: return QIcon(DrawLetterDisc("?", QColor(0, 130, 130)));
    case PictureCheck: return QIcon(DrawCheck(16));
    }
    return {};
}

QIcon CheckRlpButtonPicture()
{
    return QIcon(DrawCheck(24));
}

QIcon OkButtonPicture()
{
    QIcon icon(DrawOk(true));
    icon.addPixmap(DrawOk(false), QIcon::Disabled);
    return icon;
}

}  // namespace ql::ui
