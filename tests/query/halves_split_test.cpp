// Two threads splitting a large text's halves, taking slabs from each
// other's half when done with their own, give the table one pass gives,
// and find the first stray byte wherever the slabs went.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "query/halves_split.h"
#include "query/line_table.h"

namespace ql {
namespace {

// Room for a table of `entries`, lazily paged.
struct Table {
    explicit Table(std::size_t entries)
            : startBytes(entries * sizeof(std::uint32_t)),
              kindBytes(entries), table{reinterpret_cast<std::uint32_t*>(startBytes.Data()),
                                        reinterpret_cast<unsigned char*>(kindBytes.Data()), entries}
    {
    }
    platform::LargeBuffer startBytes, kindBytes;
    LineTable table;
};

// About 24 MB of lines with every kind of break, the scan's tags, letters,
// and one line of two megabytes with no break in it.
std::string LargeText()
{
    const std::vector<std::string> lines = {"  <wpt lat=\"49.5\" lon=\"7.5\">\r\n",
                                            "      <groundspeak:country>Germany</groundspeak:country>\r\n",
                                            "      <groundspeak:state>Rheinland-Pfalz</groundspeak:state>\n",
                                            "Stra\xC3\x9F"
                                            "e am M\xC3\xBChlbach\r",
                                            "          <groundspeak:date>2020-01-01T00:00:00Z</groundspeak:date>\r\n",
                                            "  </wpt>\n",
                                            "\n",
                                            "\r\n"};
    std::mt19937 random(11);
    std::string text;
    while (text.size() < (std::size_t{24} << 20)) {
        text += lines[random() % lines.size()];
        if (text.size() > (std::size_t{9} << 20) && text.size() < (std::size_t{10} << 20))
            text += std::string(std::size_t{2} << 20, 'x') + "\n";
    }
    return text;
}

// The entries of a split in halves read as one table, and the stray byte found.
struct Split {
    std::vector<std::uint32_t> starts;
    std::vector<unsigned char> kinds;
    std::size_t invalid;
};

Split InHalves(const std::string& text, std::size_t middle)
{
    const std::size_t n = text.size();
    Table first(middle + 2), second(n - middle + 2);
    Split s;
    s.invalid = SplitHalves(text.data(), 0, middle, n, first.table, second.table, n);
    if (s.invalid < n) return s;
    // The first table's last entry is the second table's first line.
    for (std::size_t i = 0; i + 1 < first.table.Entries; ++i) {
        s.starts.push_back(first.table.Starts[i]);
        s.kinds.push_back(first.table.Kinds[i]);
    }
    for (std::size_t i = 0; i < second.table.Entries; ++i) {
        s.starts.push_back(second.table.Starts[i]);
        s.kinds.push_back(second.table.Kinds[i]);
    }
    return s;
}

Split InOnePass(const std::string& text)
{
    Table one(text.size() + 2);
    Split s;
    s.invalid = SplitRange(text.data(), 0, text.size(), text.size(), one.table);
    s.starts.assign(one.table.Starts, one.table.Starts + one.table.Entries);
    s.kinds.assign(one.table.Kinds, one.table.Kinds + one.table.Entries);
    return s;
}

std::size_t AfterLineBreak(const std::string& text, std::size_t at)
{
    return text.find('\n', at) + 1;
}

TEST(SplitHalves, GivesTheTableOfOnePassWhereverTheSlabsGo)
{
    const std::string text = LargeText();
    const Split expected = InOnePass(text);
    ASSERT_EQ(expected.invalid, text.size());
    // Halves of about equal size; a first half of one line, so that the
    // calling thread takes most of the second's slabs; a second half of one
    // line, so that the thread beside takes most of the first's.
    for (const std::size_t middle :
         {AfterLineBreak(text, text.size() / 2), AfterLineBreak(text, 0), AfterLineBreak(text, text.size() - 100)}) {
        const Split found = InHalves(text, middle);
        ASSERT_EQ(found.invalid, text.size()) << "middle " << middle;
        EXPECT_TRUE(found.starts == expected.starts) << "middle " << middle;
        EXPECT_TRUE(found.kinds == expected.kinds) << "middle " << middle;
    }
}

TEST(SplitHalves, FindsTheFirstStrayByteWhicheverThreadReadIt)
{
    std::string text = LargeText();
    // Stray bytes late in the second half and early in it: the early one is first.
    text[AfterLineBreak(text, text.size() - 3'000'000) + 2] = '\xFF';
    const std::size_t early = AfterLineBreak(text, text.size() / 2 + 1'500'000) + 1;
    text[early] = '\xFE';
    for (const std::size_t middle : {AfterLineBreak(text, text.size() / 2), AfterLineBreak(text, 0)})
        EXPECT_EQ(InHalves(text, middle).invalid, early) << "middle " << middle;
    // One in the first half comes before them all.
    const std::size_t first = AfterLineBreak(text, 5'000'000);
    text[first] = '\x80';
    EXPECT_EQ(InHalves(text, AfterLineBreak(text, text.size() - 100)).invalid, first);
}

}  // namespace
}  // namespace ql
