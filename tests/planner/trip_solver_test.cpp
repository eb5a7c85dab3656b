// The trip through one point of each group, held against brute force on
// small random cases: every order tried, the best points for each order found
// group by group.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "planner/home_point.h"
#include "planner/trip_solver.h"

namespace ql {
namespace {

// Points in and around the state.
TFPoint RandomPoint(std::mt19937& random)
{
    std::uniform_real_distribution<double> lat(49.0, 50.9), lon(6.1, 8.5);
    return {lat(random), lon(random)};
}

// Groups lie in clusters, as districts do; some hold one point only, as a pinned district does.
TripGroups RandomGroups(std::mt19937& random, std::size_t groupCount, std::size_t maxPoints, bool returns)
{
    TripGroups g;
    g.Start = RandomPoint(random);
    g.Return = returns;
    std::uniform_int_distribution<std::size_t> size(1, maxPoints);
    std::uniform_real_distribution<double> spread(-0.15, 0.15);
    for (std::size_t i = 0; i < groupCount; ++i) {
        const TFPoint centre = RandomPoint(random);
        std::vector<TFPoint> points(size(random));
        for (TFPoint& p : points) p = {centre.X + spread(random), centre.Y + spread(random)};
        g.Groups.push_back(std::move(points));
    }
    return g;
}

double BruteForce(const TripGroups& g)
{
    std::vector<std::size_t> order(g.Groups.size());
    std::iota(order.begin(), order.end(), 0);
    double best = 1e300;
    do {
        // Shortest way to each point of the current group along this order.
        std::vector<double> reach;
        const std::vector<TFPoint>* before = nullptr;
        for (std::size_t k : order) {
            const auto& here = g.Groups[k];
            std::vector<double> next(here.size(), 1e300);
            for (std::size_t j = 0; j < here.size(); ++j) {
                if (!before) next[j] = GreatCircleMetres(g.Start, here[j]);
                else
                    for (std::size_t i = 0; i < before->size(); ++i)
                        next[j] = std::min(next[j], reach[i] + GreatCircleMetres((*before)[i], here[j]));
            }
            reach = std::move(next);
            before = &here;
        }
        for (std::size_t j = 0; j < reach.size(); ++j)
            best = std::min(best, reach[j] + (g.Return ? GreatCircleMetres((*before)[j], g.Start) : 0.0));
    } while (std::next_permutation(order.begin(), order.end()));
    return best;
}

// The tour visits every group once and its length is what its points give.
void ExpectWellFormed(const TripGroups& g, const TripTour& tour)
{
    std::vector<std::size_t> sorted = tour.Order;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::size_t> all(g.Groups.size());
    std::iota(all.begin(), all.end(), 0);
    ASSERT_EQ(sorted, all);
    ASSERT_EQ(tour.Chosen.size(), g.Groups.size());
    for (std::size_t k = 0; k < g.Groups.size(); ++k) ASSERT_LT(tour.Chosen[k], g.Groups[k].size());
    EXPECT_NEAR(tour.LengthMetres, TripLength(g, tour.Order, tour.Chosen), 1e-6);
    EXPECT_LE(tour.BoundMetres, tour.LengthMetres);
}

class TripExact : public ::testing::TestWithParam<bool> {};

TEST_P(TripExact, EqualsBruteForceOnSmallCases)
{
    std::mt19937 random(GetParam() ? 29 : 92);
    for (int run = 0; run < 150; ++run) {
        const TripGroups g = RandomGroups(random, 1 + run % 6, 5, GetParam());
        const TripTour tour = SolveTripExact(g);
        ExpectWellFormed(g, tour);
        EXPECT_TRUE(tour.Optimal);
        EXPECT_NEAR(tour.LengthMetres, BruteForce(g), 1e-6) << "run " << run;
    }
}

INSTANTIATE_TEST_SUITE_P(ReturnOrNot, TripExact, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "BackHome" : "EndsAnywhere"; });

TEST(TripHeuristic, StaysWithinFivePercentOfTheShortestAndBelowItsBound)
{
    std::mt19937 random(2029);
    double worst = 1.0;
    for (int run = 0; run < 200; ++run) {
        const TripGroups g = RandomGroups(random, 8 + run % 3, 8, run % 2 == 0);
        const TripTour exact = SolveTripExact(g);
        const TripTour found = SolveTripHeuristic(g);
        ExpectWellFormed(g, found);
        EXPECT_LE(found.LengthMetres, exact.LengthMetres * 1.05) << "run " << run;
        // The bound holds for every tour, the shortest included.
        EXPECT_LE(found.BoundMetres, exact.LengthMetres + 1e-6) << "run " << run;
        EXPECT_GT(found.BoundMetres, 0.0);
        worst = std::max(worst, found.LengthMetres / exact.LengthMetres);
    }
    RecordProperty("worst_ratio", std::to_string(worst));
}

TEST(TripSolver, ManyGroupsOfFewPointsAreStillSolvedExactly)
{
    std::mt19937 random(12);
    for (int run = 0; run < 5; ++run) {
        const TripGroups g = RandomGroups(random, 13, 3, run % 2 == 0);
        const TripTour tour = SolveTrip(g);
        ExpectWellFormed(g, tour);
        EXPECT_TRUE(tour.Optimal);
        EXPECT_LE(tour.LengthMetres, SolveTripHeuristic(g).LengthMetres + 1e-6);
    }
}

TEST(TripHeuristic, LargeCaseVisitsEveryGroupOnce)
{
    std::mt19937 random(7);
    const TripGroups g = RandomGroups(random, 20, 300, true);
    const TripTour tour = SolveTrip(g);
    ExpectWellFormed(g, tour);
    EXPECT_FALSE(tour.Optimal);
}

TEST(TripSolver, AskedToStopGivesUp)
{
    std::mt19937 random(3);
    const TripGroups small = RandomGroups(random, 6, 5, false), large = RandomGroups(random, 14, 50, false);
    CancelToken token;
    token.Cancel();
    EXPECT_THROW(SolveTripExact(small, &token), Cancelled);
    EXPECT_THROW(SolveTripHeuristic(large, &token), Cancelled);
}

TEST(TripSolver, NoGroupsIsAnEmptyTripOfNoLength)
{
    TripGroups g;
    g.Return = true;
    const TripTour tour = SolveTrip(g);
    EXPECT_TRUE(tour.Order.empty());
    EXPECT_EQ(tour.LengthMetres, 0.0);
    EXPECT_TRUE(tour.Optimal);
}

}  // namespace
}  // namespace ql
