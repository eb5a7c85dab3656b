// Texts of megabytes from a file reach a message or a label only by their start.

#include <gtest/gtest.h>

#include <string>

#include "base/user_error.h"
#include "base/utf8.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "geo/number.h"
#include "support/my_finds_query.h"

namespace ql {
namespace {

TEST(LongTexts, MessagesAndLabelsShowTheFirst200Characters)
{
    EXPECT_EQ(ShortenedText("49.5"), "49.5");
    EXPECT_EQ(ShortenedText(std::string(200, 'x')), std::string(200, 'x'));
    EXPECT_EQ(ShortenedText(std::string(201, 'x')), std::string(200, 'x') + "\u2026");
    // Characters, not bytes: a two-byte letter is never cut in half.
    std::string umlauts;
    for (int i = 0; i < 300; ++i) umlauts += "\xC3\xBC";
    EXPECT_EQ(ShortenedText(umlauts), umlauts.substr(0, 400) + "\u2026");

    // A coordinate text of 4 MB: the message quotes its start.
    try {
        (void)ParseDecimal(std::string(4 << 20, '9') + "x");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + std::string(200, '9') + "\u2026' ist kein gültiger Gleitkommawert");
    }

    // A query date line of 8 MB: the label gets its start.
    std::vector<std::string> lines = testquery::MyFindsHeader();
    lines[6] = "  <time>" + std::string(8 << 20, '2') + "</time>";
    const std::optional<std::string> date = IsMyFindsQuery(QueryText::FromBytes(testquery::JoinLines(lines)));
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, "  " + std::string(192, '2') + "\u2026");  // the time tags removed
}

}  // namespace
}  // namespace ql
