#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QStyle>
#include <QTableView>

#include <gtest/gtest.h>

#include "core/tables.h"
#include "support/list_row.h"
#include "support/ui_support.h"
#include "ui/common/Placement.h"
#include "ui/main/CacheListModel.h"
#include "ui/main/ListCellDelegate.h"

namespace ql::test {
namespace {

CacheRow Row(const char* code, const char* name, int type, bool notInPolygon)
{
    return ListRow(code, name, type, notInPolygon, "Südliche Weinstraße");
}

QImage Drawn(QTableView& view)
{
    QCoreApplication::processEvents();
    return view.grab().toImage();
}

// The list drawn with its own delegate looks exactly as the style draws it:
// plain texts, texts cut short, pictures, the alternating rows, a selected
// row and the current cell, in a window without the focus, with it, disabled.
TEST(ListCellDelegate, DrawsEveryPixelAsTheStyleDoes)
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        GTEST_SKIP() << "the delegate leaves every cell to this style";
    std::vector<CacheRow> rows = {
        Row("GC1", "Burg & Blick über Ürzig", 0, false),
        Row("GC2BX4K", "Ein sehr langer Name, der in der Spalte keinen Platz hat und gekürzt wird", 3, false),
        Row("GCA8RE5", "„Schatz“ am Fluss – Teil 2", -1, true),
        Row("GC10F44", "", 11, false),
        Row("GCZZZZZ", "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 5, false),
    };
    ui::CacheListModel model(rows);
    model.refresh();
    QTableView view;
    view.setFont(ui::DesignFont(15));
    view.setModel(&model);
    view.verticalHeader()->hide();
    view.verticalHeader()->setDefaultSectionSize(QFontMetrics(view.font()).height() + 4);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setWordWrap(false);
    const int widths[] = {100, 25, 300, 35, 35, 100, 200, 120, 120};
    for (int c = 0; c < ui::CacheListModel::ColumnCount; ++c) view.setColumnWidth(c, widths[c]);
    view.resize(1100, 200);
    view.show();
    view.selectionModel()->setCurrentIndex(model.index(3, 2),
                                           QItemSelectionModel::SelectCurrent | QItemSelectionModel::Rows);

    enum class Looks { Inactive, Focused, Disabled };
    for (const Looks looks : {Looks::Inactive, Looks::Focused, Looks::Disabled}) {
        if (looks == Looks::Focused) {
            view.activateWindow();
            view.setFocus();
        }
        view.setEnabled(looks != Looks::Disabled);
        auto* standard = view.itemDelegate();
        const QImage byStyle = Drawn(view);
        ui::ListCellDelegate own;
        view.setItemDelegate(&own);
        const QImage byDelegate = Drawn(view);
        view.setItemDelegate(standard);
        ASSERT_EQ(byStyle.size(), byDelegate.size());
        EXPECT_TRUE(byStyle == byDelegate) << "looks " << static_cast<int>(looks);
    }
}

}  // namespace
}  // namespace ql::test
