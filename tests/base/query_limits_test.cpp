#include <gtest/gtest.h>

#include <string>

#include "base/query_limits.h"
#include "base/user_error.h"
#include "support/error_of.h"

namespace ql {
namespace {

TEST(QueryLimits, LinesAllowedGrowByOnePerSixteenBytes)
{
    constexpr std::uint64_t Base = std::uint64_t{1} << 22;
    EXPECT_EQ(MaxQueryLines(0), Base);
    EXPECT_EQ(MaxQueryLines(15), Base);
    EXPECT_EQ(MaxQueryLines(16), Base + 1);
    EXPECT_EQ(MaxQueryLines(31), Base + 1);
    EXPECT_EQ(MaxQueryLines(32), Base + 2);
    EXPECT_EQ(MaxQueryLines(MaxQueryBytes), MaxQueryBytes / 16 + Base);
    // A query at the size limit fits the 32-bit offsets of its line table.
    EXPECT_LT(MaxQueryLines(MaxQueryBytes), std::uint64_t{1} << 32);
    EXPECT_LE(MaxQueryBytes, std::uint64_t{0xFFFFFFFF});
}

TEST(QueryLimits, RowsMayHoldTheTextAgainAnd32MiB)
{
    EXPECT_EQ(MaxRowBytes(0), 32u << 20);
    EXPECT_EQ(MaxRowBytes(1), (32u << 20) + 1);
    EXPECT_EQ(MaxRowBytes(MaxQueryBytes), MaxQueryBytes + (32u << 20));
}

TEST(QueryLimits, MessagesGroupTheNumbersByThousands)
{
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1.000");
    EXPECT_EQ(GroupedNumber(100'000), "100.000");
    EXPECT_EQ(GroupedNumber(1'000'000), "1.000.000");
    EXPECT_EQ(GroupedNumber(MaxQueryBytes), "4.000.000.000");
    EXPECT_EQ(test::ErrorOf([] { ThrowQueryTooLarge(MaxQueryBytes + 1); }),
              "Die Abfrage ist zu groß: 4.000.000.001 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    EXPECT_EQ(test::ErrorOf([] { ThrowTooManyLines(16); }),
              "Die Abfrage hat zu viele Zeilen: Bei 16 Bytes sind höchstens 4.194.305 Zeilen möglich.");
}

}  // namespace
}  // namespace ql
