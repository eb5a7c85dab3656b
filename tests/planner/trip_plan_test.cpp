// "Tour planen" over the planner's ranked candidates: pins, districts left
// out and named, the lines the command line prints, and the route as GPX.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tables.h"
#include "planner/candidate_reader.h"
#include "planner/gpx_export.h"
#include "planner/home_point.h"
#include "planner/trip_plan.h"
#include "support/error_of.h"

namespace ql {
namespace {

constexpr TFPoint Home{49.75, 6.64};

// Three wanted districts with two caches each, one wanted district without
// any, one covered district with a cache that must stay out.
struct SmallPlan {
    std::vector<Candidate> caches;
    CandidatePlan plan;

    SmallPlan()
    {
        add(0, "GC1A", {49.80, 6.70}, false);
        add(0, "GC1B", {49.95, 6.90}, true);
        add(1, "GC2A", {50.10, 7.00}, false);
        add(1, "GC2B", {49.70, 7.30}, false);
        add(2, "GC3A", {49.60, 6.80}, false);
        add(2, "GC3B", {50.30, 7.60}, false);
        plan[3].wanted = true;
        add(4, "GC5A", {49.76, 6.65}, false);
        plan[4].wanted = false;
    }
    void add(int district, const char* code, TFPoint point, bool nearBorder)
    {
        Candidate c;
        c.Code = code;
        c.Name = std::string("Cache ") + code;
        c.Type = "Traditional Cache";
        c.Difficulty = 1.5;
        c.Terrain = 2;
        c.Point = point;
        auto& dc = plan[static_cast<std::size_t>(district)];
        dc.wanted = true;
        dc.coverage = Coverage::Uncovered;
        dc.ranked.push_back({caches.size(), 500.0, GreatCircleMetres(Home, point), nearBorder});
        caches.push_back(c);
    }
    std::vector<std::string> codes(const TripPlan& trip) const
    {
        std::vector<std::string> out;
        for (const TripStop& s : trip.Stops) out.push_back(caches[s.Cache].Code);
        return out;
    }
};

TEST(TripPlan, OneCachePerWantedDistrictAndTheEmptyOneNamed)
{
    const SmallPlan p;
    TripRequest request;
    request.Home = Home;
    const TripPlan trip = PlanTrip(p.caches, p.plan, request);
    ASSERT_EQ(trip.Stops.size(), 3u);
    std::vector<int> districts;
    for (const TripStop& s : trip.Stops) districts.push_back(s.District);
    std::sort(districts.begin(), districts.end());
    EXPECT_EQ(districts, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(trip.WithoutCandidate, std::vector<int>{3});
    EXPECT_TRUE(trip.Optimal);
    EXPECT_DOUBLE_EQ(trip.Stops.back().TotalMetres, trip.LengthMetres);
    EXPECT_EQ(trip.ReturnMetres, 0.0);

    const std::string lines = TripStopLines(p.caches, trip);
    EXPECT_NE(lines.find("no candidate: " + std::string(DistrictNames[3]) + "\n"), std::string::npos);
    EXPECT_TRUE(lines.ends_with(TripTotalLine(trip) + "\n"));
    EXPECT_TRUE(TripTotalLine(trip).ends_with(" m (optimal)"));
    const std::string list = TourListText(p.caches, trip);
    EXPECT_NE(list.find(std::string(DistrictNames[3]) + ": kein Kandidat, nicht in der Tour\n"), std::string::npos);
    EXPECT_NE(list.find("1. "), std::string::npos);
    EXPECT_NE(list.find("(kürzeste Tour)"), std::string::npos);
}

TEST(TripPlan, PinsExclusionsAndTheBorderFilterShapeTheTour)
{
    const SmallPlan p;
    TripRequest request;
    request.Home = Home;
    request.Return = true;
    request.Pins = {"GC3B"};
    request.Excluded = {1};
    request.ClearOfBorder = true;
    const TripPlan trip = PlanTrip(p.caches, p.plan, request);
    // GC1B is near the border, district 1 is left out, district 2 must take GC3B.
    std::vector<std::string> codes = p.codes(trip);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"GC1A", "GC3B"}));
    EXPECT_EQ(trip.Excluded, std::vector<int>{1});
    for (const TripStop& s : trip.Stops) EXPECT_EQ(s.Pinned, s.District == 2);
    EXPECT_GT(trip.ReturnMetres, 0.0);
    EXPECT_NEAR(trip.LengthMetres, trip.Stops.back().TotalMetres + trip.ReturnMetres, 1e-6);
    EXPECT_NE(TripStopLines(p.caches, trip).find("excluded: " + std::string(DistrictNames[1])), std::string::npos);
}

TEST(TripPlan, PinsThatCannotHoldAreRefused)
{
    const SmallPlan p;
    TripRequest request;
    request.Home = Home;
    request.Pins = {"GC5A"};  // in a covered district
    EXPECT_EQ(test::ErrorOf([&] { PlanTrip(p.caches, p.plan, request); }),
              "Der festgelegte Cache GC5A ist kein Kandidat eines fehlenden Kreises.");
    request.Pins = {"GC2A", "GC2B"};
    EXPECT_EQ(test::ErrorOf([&] { PlanTrip(p.caches, p.plan, request); }),
              "Für den Kreis " + std::string(DistrictNames[1]) + " sind zwei Caches festgelegt: GC2A und GC2B.");
}

TEST(TripPlan, RouteGpxReadsBackWithTheStopsInOrder)
{
    const SmallPlan p;
    TripRequest request;
    request.Home = Home;
    request.Return = true;
    const TripPlan trip = PlanTrip(p.caches, p.plan, request);
    std::vector<const Candidate*> stops;
    for (const TripStop& s : trip.Stops) stops.push_back(&p.caches[s.Cache]);
    const std::string gpx = TourGpxText(stops, Home, true, "2026-12-11T03:00:00Z");

    const std::vector<Candidate> back = ReadCandidateGpx(gpx, "tour.gpx");
    std::vector<std::string> backCodes;
    for (const Candidate& c : back) backCodes.push_back(c.Code);
    EXPECT_EQ(backCodes, p.codes(trip));

    // The route: home, the stops in order, home again, after every waypoint.
    std::vector<std::string> route;
    const std::size_t rte = gpx.find("<rte>");
    ASSERT_NE(rte, std::string::npos);
    EXPECT_GT(rte, gpx.rfind("</wpt>"));
    for (std::size_t at = gpx.find("<rtept ", rte); at != std::string::npos; at = gpx.find("<rtept ", at + 1)) {
        const std::size_t name = gpx.find("<name>", at) + 6;
        route.push_back(gpx.substr(name, gpx.find("</name>", name) - name));
    }
    std::vector<std::string> expected{"Start"};
    for (const std::string& code : p.codes(trip)) expected.push_back(code);
    expected.push_back("Ziel");
    EXPECT_EQ(route, expected);
}

}  // namespace
}  // namespace ql
