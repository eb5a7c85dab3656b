// The saved overview picture's layout: whatever the parts measure, none
// overlaps another, all lie inside the picture and the map keeps the lead.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <utility>

#include "districts/picture_layout.h"

namespace ql {
namespace {

struct LayoutCase {
    const char* name;
    PictureMeasures measures;
};

class PictureLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

constexpr LayoutCase Cases[] = {
    // name, {width, caption, aspect, legend w/h, scale bar w/h, chart, licence}
    {"Usual", {1800, 70, 1.15, 320, 190, 130, 50, 300, 44}},
    {"NarrowRequestGetsTheMinimumWidth", {900, 70, 1.15, 320, 190, 130, 50, 300, 44}},
    {"LegendTallerThanTheMap", {1800, 70, 0.2, 300, 1500, 130, 50, 300, 44}},
    {"LegendWiderThanItsShare", {1800, 70, 1.0, 1400, 190, 900, 50, 300, 44}},
    {"WideScaleBarNarrowLegend", {1800, 70, 1.0, 60, 40, 400, 80, 300, 44}},
    {"NoChart", {1800, 70, 1.15, 320, 190, 130, 50, 0, 44}},
    {"LongWrappedCaptionAndLicence", {1600, 400, 1.15, 320, 190, 130, 50, 300, 300}},
    {"TallState", {2400, 70, 3.5, 320, 190, 130, 50, 300, 44}},
    {"NoMeasuresAtAll", {0, 0, 0.0, 0, 0, 0, 0, 0, 0}},
    {"AspectNotANumber", {1800, 70, std::numeric_limits<double>::quiet_NaN(), 320, 190, 130, 50, 300, 44}},
};

TEST_P(PictureLayoutTest, PartsLieInsideThePictureAndNeverOverlap)
{
    const PictureMeasures& m = GetParam().measures;
    const PictureLayout layout = LayOutPicture(m);
    EXPECT_GE(layout.width, MinPictureWidth);
    EXPECT_GE(layout.width, m.width);
    const PictureRect picture{0, 0, layout.width, layout.height};
    const std::array<std::pair<const char*, PictureRect>, 6> parts = {{{"caption", layout.caption},
                                                                       {"map", layout.map},
                                                                       {"legend", layout.legend},
                                                                       {"scale bar", layout.scaleBar},
                                                                       {"chart", layout.chart},
                                                                       {"licence", layout.licence}}};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(picture.contains(parts[i].second)) << parts[i].first;
        for (std::size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i].second.overlaps(parts[j].second)) << parts[i].first << " / " << parts[j].first;
    }
    // The map leads: at least half the width, and as tall as its column.
    EXPECT_GE(2 * layout.map.width, layout.width);
    EXPECT_GE(layout.map.bottom(), layout.scaleBar.bottom());
    // Texts get the height they measured, across the whole width.
    EXPECT_EQ(layout.caption.height, m.captionHeight);
    EXPECT_EQ(layout.licence.height, m.licenceHeight);
    EXPECT_EQ(layout.licence.width, layout.width - 2 * PictureMargin);
    EXPECT_EQ(layout.chart.height, m.chartHeight);
    if (m.chartHeight > 0) {
        EXPECT_EQ(layout.chart.width, layout.licence.width);
    }
}

INSTANTIATE_TEST_SUITE_P(Measures, PictureLayoutTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(PictureLayout, TheMapKeepsTheStatesShapeWhenTheColumnBesideItIsShort)
{
    const PictureLayout layout = LayOutPicture({1800, 70, 1.2, 320, 190, 130, 50, 300, 44});
    EXPECT_NEAR(double(layout.map.height) / layout.map.width, 1.2, 0.01);
}

}  // namespace
}  // namespace ql
