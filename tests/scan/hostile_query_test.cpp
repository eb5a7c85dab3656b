// Queries shaped to cost memory: a flood of line breaks, one waypoint repeated
// by thousands of country lines. What they may hold is bounded by their text.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "query/query_pipeline.h"
#include "query/query_text.h"
#include "scan/scanner.h"
#include "scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

using test::ErrorOf;

TEST(QueryLimits, BareLineBreaksBeyondTheLineLimitAreRefused)
{
    // Five million one-byte lines: 312,500 lines for the bytes plus 4,194,304 are allowed.
    EXPECT_EQ(ErrorOf([] { (void)QueryText::FromBytes(std::string(5'000'000, '\n')); }),
              "Die Abfrage hat zu viele Zeilen: Bei 5.000.000 Bytes sind höchstens 4.506.804 Zeilen möglich.");
    // CR LF pairs count once: four million lines in eight million bytes stay inside.
    std::string pairs(8'000'000, '\n');
    for (std::size_t i = 0; i < pairs.size(); i += 2) pairs[i] = '\r';
    const QueryText q = QueryText::FromBytes(std::move(pairs));
    EXPECT_EQ(q.Size(), 4'000'000u);
    EXPECT_EQ(q.At(3'999'999), "");
    // Four bytes a line in the table and one for the line's kind, not eight;
    // the text in whole huge pages of 2 MiB.
    EXPECT_LT(q.MemoryBytes(), (8u << 20) + 5u * 4'000'001u + 2u * 4096u);
}

#ifndef _WIN32
TEST(QueryLimits, AFileBeyondTheSizeLimitIsRefusedBeforeItIsRead)
{
    // A sparse file: four gigabytes that take no room on the disk.
    const auto path =
        std::filesystem::temp_directory_path() / ("ql_huge_" + std::to_string(static_cast<long>(::getpid())) + ".gpx");
    {
        std::ofstream(path) << "x";
    }
    std::filesystem::resize_file(path, 4'000'000'001ULL);
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(path.string()); }),
              "Die Abfrage ist zu groß: 4.000.000.001 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    std::filesystem::remove(path);
}
#endif

std::string Euros(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) text += "\xE2\x82\xAC";  // three bytes each
    return text;
}

TEST_F(ScannerTest, ARowTakesAtMostAKilobyteOfAName)
{
    // A 100 KB name shared by 2,000 rows: each row keeps 1,023 bytes of it,
    // cut between two characters.
    Load(RepeatedWaypoint(Euros(34'000), 2'000));
    ASSERT_EQ(ScanWaypoints(state), 2'000);
    EXPECT_EQ(state.Rows[0].Name, Euros(341));
    EXPECT_EQ(state.Rows[1'999].Name, Euros(341));
    EXPECT_EQ(state.Rows[1'999].FindDate, "2016-02-02");
}

TEST_F(ScannerTest, RowsBeyondWhatTheTextAllowsEndTheScanWithAMessage)
{
    // 60,000 rows of a kilobyte from 6.5 MB of text: the rows may hold the
    // text's size plus 32 MiB, and stop there; the rows made stay.
    Load(RepeatedWaypoint(Euros(400), 60'000));
    const std::string message = ErrorOf([&] { ScanWaypoints(state); });
    EXPECT_EQ(message, BudgetMessage(state.Rows.size()));
    EXPECT_GT(state.Rows.size(), 20'000u);
    EXPECT_LT(state.Rows.size(), 60'000u);
}

}  // namespace
}  // namespace ql::scantest
