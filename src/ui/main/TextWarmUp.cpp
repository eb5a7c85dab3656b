#include "ui/main/TextWarmUp.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTableView>

#include <vector>

#include "ui/common/Icons.h"
#include "ui/main/CacheListModel.h"

namespace ql::ui {

namespace {
// What a query's rows and the window's labels are written with: every
// printable ASCII character, the German letters, the signs of the
// coordinates, a few more of the names.
const char* const SampleTexts[] = {
    "GC0123456789",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "abcdefghijklmnopqrstuvwxyz",
    "!\"#$%&'()*+,-./:;<=>?@",
    "[\\]^_`{|}~ 1.5 4.5",
    "ÄÖÜäöüß éèêàâçñ",
    "N 49° 59.123",
    "E 007° 12.345",
    "31.12.2025",
    "Rhein-Hunsrück-Kreis",
    "„Schatz“ – …",
    "Südliche Weinstraße",
};
constexpr int SampleCount = static_cast<int>(sizeof(SampleTexts) / sizeof(SampleTexts[0]));

void WarmList(const QTableView& list)
{
    QAbstractItemModel* shown = list.model();
    const int columns = shown ? shown->columnCount() : 0;
    if (columns == 0) return;
    // Each text in each column, as wide or as cut short as the list shows it.
    QStandardItemModel model(SampleCount, columns);
    for (int row = 0; row < SampleCount; ++row)
        for (int column = 0; column < columns; ++column) {
            auto* item = new QStandardItem(QString::fromUtf8(SampleTexts[(row + column) % SampleCount]));
            // Pictures where the list has them: the type, and the marker beside some codes.
            if (column == CacheListModel::ColType || (column == CacheListModel::ColGCNummer && row % 2))
                item->setIcon(CacheTypeIcon(row % CacheTypeIconCount));
            model.setItem(row, column, item);
        }
    QTableView view;
    view.setFont(list.font());
    view.setIconSize(list.iconSize());
    view.setWordWrap(list.wordWrap());
    view.setModel(&model);
    view.setItemDelegate(list.itemDelegate());
    view.verticalHeader()->hide();
    const int rowHeight = list.verticalHeader()->defaultSectionSize();
    view.verticalHeader()->setDefaultSectionSize(rowHeight);
    int width = 0;
    for (int column = 0; column < columns; ++column) {
        view.setColumnWidth(column, list.columnWidth(column));
        width += list.columnWidth(column);
    }
    view.resize(width + 4, view.horizontalHeader()->sizeHint().height() + SampleCount * rowHeight + 4);
    view.grab();
}

// The samples in each font the window's labels and gauges write with.
void WarmLabels(const QWidget& window)
{
    std::vector<QFont> fonts;
    const auto add = [&fonts](const QFont& font) {
        for (const QFont& known : fonts)
            if (known == font) return;
        fonts.push_back(font);
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) add(label->font());
    for (const QProgressBar* gauge : window.findChildren<QProgressBar*>()) add(gauge->font());
    QPixmap picture(600, 60);
    for (const QFont& font : fonts) {
        QPainter painter(&picture);
        painter.setFont(font);
        for (const char* text : SampleTexts) painter.drawText(picture.rect(), Qt::AlignLeft, QString::fromUtf8(text));
    }
}
}  // namespace

void WarmTextDrawing(const QWidget& window, const QTableView& list)
{
    WarmList(list);
    WarmLabels(window);
}

}  // namespace ql::ui
