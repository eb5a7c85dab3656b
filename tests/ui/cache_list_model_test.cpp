#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include "core/tables.h"
#include "support/list_row.h"
#include "support/ui_support.h"
#include "ui/main/CacheListModel.h"

namespace ql::test {
namespace {

CacheRow Row(const char* code, int type, bool notInPolygon)
{
    return ListRow(code, "Burg & Blick über Ürzig", type, notInPolygon);
}

TEST(CacheListModel, ShowsTheRowsOfTheLastScanWithTheirIcons)
{
    std::vector<CacheRow> rows;
    ui::CacheListModel model(rows);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    rows = {Row("GC1", 0, false), Row("GC2", -1, true), Row("GC3", 11, false)};
    model.refresh();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, ui::CacheListModel::ColName), Qt::DisplayRole).toString(),
              "Burg & Blick über Ürzig");
    EXPECT_EQ(model.data(model.index(1, ui::CacheListModel::ColKreis), Qt::DisplayRole).toString(), "NOT IN POLYGON!");
    EXPECT_EQ(model.data(model.index(2, ui::CacheListModel::ColLon), Qt::DisplayRole).toString(), "E 008° 16.434");
    // The marker stands before the caption of a not-in-polygon row only.
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    // A type outside the table shows no picture in the type column.
    EXPECT_TRUE(model.data(model.index(0, ui::CacheListModel::ColType), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(1, ui::CacheListModel::ColType), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.data(model.index(2, 3), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(model.data(model.index(1, 3), Qt::BackgroundRole).value<QColor>(), QColor(200, 255, 200));

    // A new scan replaces the rows whole.
    rows.clear();
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(CacheListModel, HeaderCarriesTheTypePictureInsteadOfText)
{
    std::vector<CacheRow> rows;
    ui::CacheListModel model(rows);
    const char* expected[] = {"GC-Nummer", "", "Name", "D", "T", "Datum", "Land-/Stadtkreis", "Lat", "Lon"};
    for (int c = 0; c < 9; ++c) EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), expected[c]);
    EXPECT_TRUE(model.headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());
}

}  // namespace
}  // namespace ql::test
