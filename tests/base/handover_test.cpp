// Items made beside arrive in the order they were made, in batches taken
// while the rest are still being made, and the batches given back are filled
// again.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "base/handover.h"

namespace ql {
namespace {

TEST(Handover, ItemsArriveInOrderWhileTheMakerGoesOn)
{
    constexpr int Items = 100'000;
    Handover<int> handover(64);
    std::thread maker([&] {
        for (int i = 0; i < Items; ++i) handover.Add(int{i});
        handover.Close();
    });
    int expected = 0;
    std::size_t batches = 0;
    for (std::vector<int> batch; handover.Take(batch);) {
        ASSERT_LE(batch.size(), 64u);
        ASSERT_FALSE(batch.empty());
        for (int item : batch) ASSERT_EQ(item, expected++);
        ++batches;
        handover.GiveBack(std::move(batch));
    }
    maker.join();
    EXPECT_EQ(expected, Items);
    EXPECT_GE(batches, static_cast<std::size_t>(Items / 64));
}

TEST(Handover, ABatchGivenBackIsFilledAgain)
{
    Handover<int> handover(4);
    for (int i = 0; i < 4; ++i) handover.Add(int{i});
    std::vector<int> batch;
    ASSERT_TRUE(handover.Take(batch));
    const int* memory = batch.data();
    handover.GiveBack(std::move(batch));
    for (int i = 4; i < 8; ++i) handover.Add(int{i});
    ASSERT_TRUE(handover.Take(batch));
    EXPECT_EQ(batch.data(), memory);
    EXPECT_EQ(batch, (std::vector<int>{4, 5, 6, 7}));
}

TEST(Handover, AMakerThatClosesAtOnceEndsTheTaking)
{
    Handover<int> handover(8);
    std::thread maker([&] { handover.Close(); });
    std::vector<int> batch{1, 2};
    EXPECT_FALSE(handover.Take(batch));
    maker.join();

    // A last batch that is not full still arrives before the end.
    Handover<int> few(8);
    few.Add(7);
    few.Close();
    ASSERT_TRUE(few.Take(batch));
    EXPECT_EQ(batch, std::vector<int>{7});
    EXPECT_FALSE(few.Take(batch));
}

}  // namespace
}  // namespace ql
