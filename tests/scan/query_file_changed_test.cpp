// A query file cut short while it is read from its mapping: the split (two
// halves on two threads for a large text) and the scan (two halves as well)
// read zeros where the file was, and the open ends with the message that the
// file changed, never with a crash or a message about the zeros.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "scan/scanner_query_builder.h"
#include "platform/platform.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

using test::ErrorOf;
namespace fs = std::filesystem;

#ifndef _WIN32

class QueryFileChangedTest : public ScannerTest {
protected:
    void TearDown() override
    {
        platform::SetAfterMapHook({});
        ScannerTest::TearDown();
    }
    std::string WriteQuery(const std::string& bytes)
    {
        const std::string path = (folder / "query.gpx").string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string ChangedText(const std::string& path) const
    {
        return "Die Datei \"" + path + "\" wurde beim Lesen verändert.";
    }
};

TEST_F(QueryFileChangedTest, CutShortBeforeTheSplitEndsTheLoadWithItsMessage)
{
    // 20 MiB of lines: split in two halves side by side.
    std::string text;
    while (text.size() < (std::size_t{20} << 20)) text += "    <groundspeak:text>eine Zeile</groundspeak:text>\r\n";
    const std::string path = WriteQuery(text);
    for (const std::uintmax_t cut : {std::uintmax_t{0}, std::uintmax_t{15} << 20}) {
        platform::SetAfterMapHook([cut](const std::string& p) { fs::resize_file(p, cut); });
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        EXPECT_EQ(ErrorOf([&] { OpenQuery(path); }), ChangedText(path)) << cut;
    }
    platform::SetAfterMapHook({});
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    EXPECT_EQ(OpenQuery(path).Size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
}

TEST_F(QueryFileChangedTest, AMappedQueryScansAsACopyUntilItIsCutShort)
{
    // Enough lines for the scan's two halves.
    std::vector<Cache> caches(2'000);
    for (std::size_t i = 0; i < caches.size(); ++i) caches[i].code = "GC" + std::to_string(i);
    const std::string query = testquery::JoinLines(MyFindsLines(caches));
    const std::string path = WriteQuery(query);
    state.QueryFileName = path;
    state.QueryLines = QueryText::FromBytes(query);
    ASSERT_EQ(ScanQuery(state).Rows, 2'000);
    const std::vector<std::string> copiedCodes = Codes();

    state.QueryLines = OpenQuery(path);
    ASSERT_GE(state.QueryLines.Size(), LinesReadByTwoThreads);
    const QueryScan mapped = ScanQuery(state);
    EXPECT_EQ(mapped.Rows, 2'000);
    EXPECT_TRUE(mapped.Incomplete.empty());
    EXPECT_EQ(Codes(), copiedCodes);

    fs::resize_file(path, query.size() / 4);  // inside the first half: both halves read zeros
    EXPECT_EQ(ErrorOf([&] { ScanQuery(state); }), ChangedText(path));
    // A scan again says the same: the text stays damaged.
    EXPECT_EQ(ErrorOf([&] { ScanQuery(state); }), ChangedText(path));
}

#endif

}  // namespace
}  // namespace ql::scantest
