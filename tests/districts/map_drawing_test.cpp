// The overview map's drawing decisions, without pixels: gathering finds per
// screen cell, the legend, the count labels' places and the scale bar.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "districts/map_drawing.h"
#include "districts/polygon_files.h"

namespace ql {
namespace {

TEST(MapDrawing, SparseFindsStaySingleDotsWhereTheyLie)
{
    const std::vector<ScreenFind> finds = {{5.5, 5.5, true}, {30.25, 40.75, true}, {30.5, 41.0, false},
                                           {-1, 5, true},    {5, 500, true},       {std::nan(""), 3, true}};
    const std::vector<FindMark> marks = GatherFinds(finds, 100, 100, 12);
    ASSERT_EQ(marks.size(), 3u);  // outside the view and without a place: left out
    EXPECT_EQ(marks[0].x, 5.5);
    EXPECT_EQ(marks[0].count, 1);
    EXPECT_EQ(marks[0].radius, SingleFindRadius);
    EXPECT_EQ(marks[1].x, 30.25);
    EXPECT_TRUE(marks[1].counted);
    // A find in no district in the same cell keeps its own dot, drawn last.
    EXPECT_FALSE(marks[2].counted);
    EXPECT_EQ(marks[2].y, 41.0);
}

TEST(MapDrawing, DenseFindsGatherPerCellAndLeaveMostOfTheAreaUncovered)
{
    // 100,000 finds on a 600 x 600 view: one dot per cell at the finds' mean.
    std::vector<ScreenFind> finds;
    for (int i = 0; i < 100'000; ++i) finds.push_back({(i % 600) + 0.5, ((i / 600) % 600) + 0.5, true});
    const std::vector<FindMark> marks = GatherFinds(finds, 600, 600, 12);
    EXPECT_LE(marks.size(), 50u * 50u);
    int total = 0;
    double covered = 0;
    for (const FindMark& mark : marks) {
        total += mark.count;
        EXPECT_LE(mark.radius, MaxMarkRadius);
        covered += 3.14159265 * mark.radius * mark.radius;
    }
    EXPECT_EQ(total, 100'000);
    EXPECT_LT(covered / (600.0 * 600.0), 0.25);
    // The first cell: rows 0..11 of columns 0..11 hold 12 x 12 finds (167 full rows of 600).
    EXPECT_EQ(marks[0].count, 144);
    EXPECT_DOUBLE_EQ(marks[0].x, 6.0);
    EXPECT_GT(MarkRadius(2), MarkRadius(1));
    EXPECT_GE(MarkRadius(1000), MarkRadius(100));
}

TEST(MapDrawing, LegendNamesTheColoursTheThresholdAndTheCounts)
{
    const std::vector<LegendEntry> legend = MapLegendEntries(250, 78'909, 894);
    ASSERT_EQ(legend.size(), 5u);
    EXPECT_EQ(legend[0].text, "Belegt");
    EXPECT_EQ(legend[1].text, "Nur randnah belegt (unter 250 m)");
    EXPECT_EQ(legend[1].swatch, LegendSwatch::NearBorder);
    EXPECT_EQ(legend[2].text, "Nicht belegt");
    EXPECT_EQ(legend[3].text, "Fund (78.015)");
    EXPECT_EQ(legend[4].text, "Fund in keinem Kreis (894)");
    EXPECT_EQ(legend[4].swatch, LegendSwatch::FindOutside);
    // Candidates get an entry of their own once lists are loaded.
    const std::vector<LegendEntry> planned = MapLegendEntries(250, 10, 0, 5'000);
    ASSERT_EQ(planned.size(), 6u);
    EXPECT_EQ(planned[5].swatch, LegendSwatch::Candidate);
    EXPECT_EQ(planned[5].text, "Kandidat (5.000)");
}

TEST(MapDrawing, ScaleBarIsARoundLengthThatFits)
{
    ScaleBar bar = ChooseScaleBar(500.0, 160);  // 80 km across 160 px
    EXPECT_EQ(bar.metres, 50'000);
    EXPECT_EQ(bar.text, "50 km");
    EXPECT_DOUBLE_EQ(bar.pixels, 100);
    bar = ChooseScaleBar(3.0, 160);  // 480 m
    EXPECT_EQ(bar.text, "200 m");
    bar = ChooseScaleBar(10.0, 100);  // exactly 1 km
    EXPECT_EQ(bar.text, "1 km");
    EXPECT_EQ(ChooseScaleBar(0, 100).pixels, 0);
}

TEST(MapDrawing, CountLabelsSitInsideTheirDistrictAndFitOnlyWhereThereIsRoom)
{
    DistrictMap districts;
    // A square of 0.1 degrees, and a long thin strip.
    districts.SetPolygon(3, {{50.0, 7.0}, {50.1, 7.0}, {50.1, 7.1}, {50.0, 7.1}});
    districts.SetPolygon(4, {{49.0, 7.0}, {49.002, 7.0}, {49.002, 7.5}, {49.0, 7.5}});
    const MapProjection projection = MapProjection::ForPolygons(districts.Polygons());
    const auto anchors = FindLabelAnchors(districts, projection);
    for (int d : {3, 4}) {
        const LabelAnchor& anchor = anchors[static_cast<std::size_t>(d)];
        EXPECT_EQ(districts.Find(projection.Unproject(anchor.at)).value_or(-1), d);
        EXPECT_GT(anchor.clearance, 0.0);
    }
    // The square's anchor lies near its middle: about half its (projected) width from the nearest side.
    const double width = 0.1 * projection.xScale();
    EXPECT_NEAR(anchors[3].clearance, width / 2, width * 0.1);
    EXPECT_LT(anchors[4].clearance, 0.0011);
    EXPECT_EQ(anchors[0].clearance, 0.0);  // no polygon
    // At 2000 px per degree the square holds a label of 40 x 14 px, the strip does not.
    EXPECT_TRUE(LabelFits(anchors[3].clearance * 2000, 40, 14));
    EXPECT_FALSE(LabelFits(anchors[4].clearance * 2000, 40, 14));
    EXPECT_FALSE(LabelFits(20, 40, 14));
    EXPECT_TRUE(LabelFits(24, 40, 14));
}

TEST(MapDrawing, OutlinesSwitchFromSmoothToPixelLinesJustPastTheirLimit)
{
    // Thin lines: smooth up to and including the limit, pixel by pixel beyond it.
    EXPECT_TRUE(OutlineDrawnSmoothly(SmoothThinOutlinePoints, 1));
    EXPECT_FALSE(OutlineDrawnSmoothly(SmoothThinOutlinePoints + 1, 1));
    // Wide lines (the selection) have the lower limit, whatever their width.
    for (int width : {2, 3, 8}) {
        EXPECT_TRUE(OutlineDrawnSmoothly(SmoothWideOutlinePoints, width)) << width;
        EXPECT_FALSE(OutlineDrawnSmoothly(SmoothWideOutlinePoints + 1, width)) << width;
    }
    EXPECT_TRUE(OutlineDrawnSmoothly(0, 1));
    EXPECT_TRUE(OutlineDrawnSmoothly(0, 3));
}

}  // namespace
}  // namespace ql
