#include "planner/trip_solver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <utility>

#include "planner/home_point.h"

namespace ql {

namespace {

constexpr double Infinite = std::numeric_limits<double>::infinity();
constexpr double EarthRadius = 6371008.8;  // as the great-circle distance takes it
// A change smaller than this (metres) is no improvement: it stops loops
// that would otherwise trade rounding errors.
constexpr double Gain = 1e-6;

// The groups' points one after the other, group by group.
struct FlatPoints {
    std::vector<TFPoint> points;
    std::vector<std::size_t> group;  // per point
    std::vector<std::size_t> first;  // per group, and one past the end
};

FlatPoints Flatten(const TripGroups& groups)
{
    FlatPoints f;
    for (std::size_t g = 0; g < groups.Groups.size(); ++g) {
        if (groups.Groups[g].empty()) throw std::invalid_argument("trip group without points");
        f.first.push_back(f.points.size());
        for (const TFPoint& p : groups.Groups[g]) {
            f.points.push_back(p);
            f.group.push_back(g);
        }
    }
    f.first.push_back(f.points.size());
    return f;
}

// A tour as points: the chosen point of every group, by group.
TripTour TourOf(const TripGroups& groups, const FlatPoints& f, const std::vector<std::size_t>& order,
                const std::vector<std::size_t>& chosenPoints)
{
    TripTour tour;
    tour.Order = order;
    tour.Chosen.resize(groups.Groups.size());
    for (std::size_t g = 0; g < groups.Groups.size(); ++g) tour.Chosen[g] = chosenPoints[g] - f.first[g];
    tour.LengthMetres = TripLength(groups, tour.Order, tour.Chosen);
    return tour;
}

// ---- Exact -------------------------------------------------------------------

TripTour Exact(const TripGroups& groups, const CancelToken* cancel, double upperBound)
{
    const FlatPoints f = Flatten(groups);
    const std::size_t n = groups.Groups.size();
    const std::size_t count = f.points.size();
    // Distances between all points, and from the start.
    std::vector<double> between(count * count, 0.0), fromStart(count);
    for (std::size_t a = 0; a < count; ++a) {
        fromStart[a] = GreatCircleMetres(groups.Start, f.points[a]);
        for (std::size_t b = a + 1; b < count; ++b)
            between[a * count + b] = between[b * count + a] = GreatCircleMetres(f.points[a], f.points[b]);
    }
    ThrowIfCancelled(cancel);

    // best[mask * count + v]: the shortest way from the start through one point
    // of every group in mask, ending at v (a point of a group in mask).
    const std::size_t masks = std::size_t{1} << n;
    std::vector<double> best(masks * count, Infinite);
    std::vector<std::int16_t> previous(masks * count, -1);
    for (std::size_t v = 0; v < count; ++v)
        if (fromStart[v] <= upperBound) best[(std::size_t{1} << f.group[v]) * count + v] = fromStart[v];
    for (std::size_t mask = 1; mask < masks; ++mask) {
        if ((mask & 63) == 0) ThrowIfCancelled(cancel);
        const double* row = &best[mask * count];
        for (std::size_t g = 0; g < n; ++g) {
            if (!(mask & (std::size_t{1} << g))) continue;
            for (std::size_t v = f.first[g]; v < f.first[g + 1]; ++v) {
                const double here = row[v];
                if (here > upperBound) continue;  // also the unreached
                const double* fromV = &between[v * count];
                for (std::size_t h = 0; h < n; ++h) {
                    const std::size_t bit = std::size_t{1} << h;
                    if (mask & bit) continue;
                    double* next = &best[(mask | bit) * count];
                    std::int16_t* nextPrevious = &previous[(mask | bit) * count];
                    for (std::size_t w = f.first[h]; w < f.first[h + 1]; ++w) {
                        const double length = here + fromV[w];
                        if (length < next[w]) {
                            next[w] = length;
                            nextPrevious[w] = static_cast<std::int16_t>(v);
                        }
                    }
                }
            }
        }
    }
    const std::size_t full = masks - 1;
    double shortest = Infinite;
    std::size_t last = count;
    for (std::size_t v = 0; v < count; ++v) {
        const double length = best[full * count + v] + (groups.Return ? fromStart[v] : 0.0);
        if (length < shortest) {
            shortest = length;
            last = v;
        }
    }
    TripTour tour;
    if (last == count) return tour;  // nothing below the bound: the caller keeps its tour
    std::vector<std::size_t> order, chosen(n);
    std::size_t mask = full;
    for (std::size_t v = last; v < count;) {
        order.push_back(f.group[v]);
        chosen[f.group[v]] = v;
        const std::int16_t p = previous[mask * count + v];
        mask &= ~(std::size_t{1} << f.group[v]);
        v = p < 0 ? count : static_cast<std::size_t>(p);
    }
    std::reverse(order.begin(), order.end());
    tour = TourOf(groups, f, order, chosen);
    tour.Optimal = true;
    tour.BoundMetres = tour.LengthMetres;
    return tour;
}

// ---- Heuristic -----------------------------------------------------------------

// Points as unit vectors: the straight chord between two of them gives the
// great-circle distance, 2 R asin(chord / 2), without trigonometry per pair
// beyond one asin.
struct Sphere {
    std::vector<double> x, y, z;  // the points, then the start at index `start`
    std::size_t start = 0;

    explicit Sphere(const FlatPoints& f, TFPoint startPoint)
    {
        constexpr double Radians = 3.14159265358979323846 / 180.0;
        const auto add = [&](TFPoint p) {
            const double lat = p.X * Radians, lon = p.Y * Radians;
            x.push_back(std::cos(lat) * std::cos(lon));
            y.push_back(std::cos(lat) * std::sin(lon));
            z.push_back(std::sin(lat));
        };
        for (const TFPoint& p : f.points) add(p);
        start = x.size();
        add(startPoint);
    }
    double ChordSquared(std::size_t a, std::size_t b) const
    {
        const double dx = x[a] - x[b], dy = y[a] - y[b], dz = z[a] - z[b];
        return dx * dx + dy * dy + dz * dz;
    }
    static double Metres(double chordSquared)
    {
        return 2.0 * EarthRadius * std::asin(std::min(1.0, 0.5 * std::sqrt(chordSquared)));
    }
};

class Improver {
public:
    static constexpr std::size_t End = static_cast<std::size_t>(-1);

    Improver(const TripGroups& groups, const FlatPoints& f, const Sphere& s) : groups_(groups), f_(f), s_(s) {}

    // A leg; to End it is the way back, or nothing when the trip ends anywhere.
    // Measured as the straight chord: within the state it is shorter than the
    // arc by less than 0.01 %, and it needs no trigonometry. The tour found is
    // measured along the globe at the end.
    double Leg(std::size_t a, std::size_t b) const
    {
        if (b == End) return groups_.Return ? EarthRadius * std::sqrt(s_.ChordSquared(a, s_.start)) : 0.0;
        return EarthRadius * std::sqrt(s_.ChordSquared(a, b));
    }

    // Nearest-group tour: from the start (through `firstGroup` first when
    // given) always to the nearest point of a group not yet visited.
    std::vector<std::size_t> NearestGroupTour(std::size_t firstGroup) const
    {
        const std::size_t n = groups_.Groups.size();
        std::vector<bool> visited(n, false);
        std::vector<std::size_t> seq;
        std::size_t at = s_.start;
        for (std::size_t step = 0; step < n; ++step) {
            std::size_t bestPoint = 0;
            double bestSquared = Infinite;
            for (std::size_t g = 0; g < n; ++g) {
                if (visited[g] || (step == 0 && firstGroup < n && g != firstGroup)) continue;
                for (std::size_t v = f_.first[g]; v < f_.first[g + 1]; ++v) {
                    const double d = s_.ChordSquared(at, v);
                    if (d < bestSquared) {
                        bestSquared = d;
                        bestPoint = v;
                    }
                }
            }
            visited[f_.group[bestPoint]] = true;
            seq.push_back(bestPoint);
            at = bestPoint;
        }
        return seq;
    }

    // Improves the sequence of points (one per group) until no move helps.
    void Improve(std::vector<std::size_t>& seq, const CancelToken* cancel) const
    {
        for (bool changed = true; changed;) {
            ThrowIfCancelled(cancel);
            changed = ChoosePoints(seq);
            changed |= TwoOpt(seq);
            changed |= MoveGroups(seq);
        }
    }

    double Length(const std::vector<std::size_t>& seq) const
    {
        double length = 0.0;
        std::size_t at = s_.start;
        for (std::size_t v : seq) {
            length += Leg(at, v);
            at = v;
        }
        return length + Leg(at, End);
    }

private:
    std::size_t Before(const std::vector<std::size_t>& seq, std::size_t i) const
    {
        return i == 0 ? s_.start : seq[i - 1];
    }
    std::size_t After(const std::vector<std::size_t>& seq, std::size_t i) const
    {
        return i + 1 == seq.size() ? End : seq[i + 1];
    }

    // The point of group g that makes the detour a -> point -> b shortest.
    std::pair<std::size_t, double> BestBetween(std::size_t g, std::size_t a, std::size_t b) const
    {
        std::size_t bestPoint = f_.first[g];
        double bestLength = Infinite;
        for (std::size_t v = f_.first[g]; v < f_.first[g + 1]; ++v) {
            const double length = Leg(a, v) + Leg(v, b);
            if (length < bestLength) {
                bestLength = length;
                bestPoint = v;
            }
        }
        return {bestPoint, bestLength};
    }

    // Each group's point chosen anew between its neighbours in the tour.
    bool ChoosePoints(std::vector<std::size_t>& seq) const
    {
        bool changed = false;
        for (bool again = true; again;) {
            again = false;
            for (std::size_t i = 0; i < seq.size(); ++i) {
                const std::size_t a = Before(seq, i), b = After(seq, i);
                const double now = Leg(a, seq[i]) + Leg(seq[i], b);
                const auto [point, length] = BestBetween(f_.group[seq[i]], a, b);
                if (length < now - Gain) {
                    seq[i] = point;
                    again = changed = true;
                }
            }
        }
        return changed;
    }

    // Reverses a stretch of the tour where that shortens it.
    bool TwoOpt(std::vector<std::size_t>& seq) const
    {
        bool changed = false;
        const std::size_t n = seq.size();
        for (bool again = true; again;) {
            again = false;
            for (std::size_t i = 0; i + 1 < n; ++i) {
                const std::size_t a = Before(seq, i);
                const double ab = Leg(a, seq[i]);
                for (std::size_t j = i + 1; j < n; ++j) {
                    const std::size_t d = After(seq, j);
                    const double delta = Leg(a, seq[j]) + Leg(seq[i], d) - ab - Leg(seq[j], d);
                    if (delta < -Gain) {
                        std::reverse(seq.begin() + static_cast<std::ptrdiff_t>(i),
                                     seq.begin() + static_cast<std::ptrdiff_t>(j) + 1);
                        again = changed = true;
                        break;
                    }
                }
            }
        }
        return changed;
    }

    // Takes a group out and puts it back where it costs least, with the
    // point that suits that place best.
    bool MoveGroups(std::vector<std::size_t>& seq) const
    {
        bool changed = false;
        const std::size_t n = seq.size();
        for (std::size_t i = 0; i < n && n > 1; ++i) {
            const std::size_t a = Before(seq, i), b = After(seq, i), v = seq[i];
            const double saved = Leg(a, v) + Leg(v, b) - Leg(a, b);
            std::vector<std::size_t> rest = seq;
            rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
            double bestCost = saved - Gain;
            std::size_t bestAt = n, bestPoint = v;
            for (std::size_t k = 0; k <= rest.size(); ++k) {
                const std::size_t p = Before(rest, k), q = k == rest.size() ? End : rest[k];
                const auto [point, length] = BestBetween(f_.group[v], p, q);
                const double cost = length - Leg(p, q);
                if (cost < bestCost) {
                    bestCost = cost;
                    bestAt = k;
                    bestPoint = point;
                }
            }
            if (bestAt == n) continue;
            rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(bestAt), bestPoint);
            seq = std::move(rest);
            changed = true;
        }
        return changed;
    }

    const TripGroups& groups_;
    const FlatPoints& f_;
    const Sphere& s_;
};

double HeuristicBound(const TripGroups& groups, const FlatPoints& f, const Sphere& s)
{
    const std::size_t n = groups.Groups.size();
    const std::size_t count = f.points.size();
    // The nearest point of every group from the start.
    std::vector<double> nearestSquared(n, Infinite);
    double backSquared = Infinite;
    for (std::size_t v = 0; v < count; ++v) {
        const double d = s.ChordSquared(s.start, v);
        nearestSquared[f.group[v]] = std::min(nearestSquared[f.group[v]], d);
        backSquared = std::min(backSquared, d);
    }
    double farthest = 0.0;
    for (double d : nearestSquared) farthest = std::max(farthest, Sphere::Metres(d));
    double bound = groups.Return ? 2 * farthest : farthest;
    if (count <= HeuristicBoundPoints) {
        // Every group is entered by one leg of its own, from the start or
        // from another group's point.
        double entering = groups.Return ? Sphere::Metres(backSquared) : 0.0;
        for (std::size_t g = 0; g < n; ++g) {
            double shortest = nearestSquared[g];
            for (std::size_t v = f.first[g]; v < f.first[g + 1]; ++v)
                for (std::size_t u = 0; u < count; ++u)
                    if (f.group[u] != g) shortest = std::min(shortest, s.ChordSquared(u, v));
            entering += Sphere::Metres(shortest);
        }
        bound = std::max(bound, entering);
    }
    // The chord and the haversine round differently in the last digits.
    return bound * (1.0 - 1e-9);
}

TripTour Heuristic(const TripGroups& groups, const CancelToken* cancel)
{
    const FlatPoints f = Flatten(groups);
    const std::size_t n = groups.Groups.size();
    const Sphere s(f, groups.Start);
    const Improver improver(groups, f, s);

    // Starts: the plain nearest-group tour, then the same forced through each
    // of the groups nearest the start first. Fewer of them for many points.
    std::vector<std::pair<double, std::size_t>> nearest;
    for (std::size_t g = 0; g < n; ++g) {
        double d = Infinite;
        for (std::size_t v = f.first[g]; v < f.first[g + 1]; ++v) d = std::min(d, s.ChordSquared(s.start, v));
        nearest.emplace_back(d, g);
    }
    std::sort(nearest.begin(), nearest.end());
    const std::size_t forced = std::min(n, f.points.size() <= 2000 ? std::size_t{12} : std::size_t{3});
    std::vector<std::size_t> firsts(1, n);  // n: no group forced first
    for (std::size_t k = 1; k < forced; ++k) firsts.push_back(nearest[k].second);

    std::vector<std::size_t> bestSeq;
    double bestLength = Infinite;
    for (std::size_t first : firsts) {
        ThrowIfCancelled(cancel);
        std::vector<std::size_t> seq = improver.NearestGroupTour(first);
        improver.Improve(seq, cancel);
        const double length = improver.Length(seq);
        if (length < bestLength - Gain) {
            bestLength = length;
            bestSeq = std::move(seq);
        }
    }
    std::vector<std::size_t> order, chosen(n);
    for (std::size_t v : bestSeq) {
        order.push_back(f.group[v]);
        chosen[f.group[v]] = v;
    }
    TripTour tour = TourOf(groups, f, order, chosen);
    tour.BoundMetres = std::min(tour.LengthMetres, HeuristicBound(groups, f, s));
    return tour;
}

}  // namespace

double TripLength(const TripGroups& groups, const std::vector<std::size_t>& order,
                  const std::vector<std::size_t>& chosen)
{
    double length = 0.0;
    TFPoint at = groups.Start;
    for (std::size_t g : order) {
        const TFPoint next = groups.Groups[g][chosen[g]];
        length += GreatCircleMetres(at, next);
        at = next;
    }
    if (groups.Return && !order.empty()) length += GreatCircleMetres(at, groups.Start);
    return length;
}

bool ExactTripFits(const TripGroups& groups)
{
    std::size_t points = 0;
    for (const auto& g : groups.Groups) points += g.size();
    const std::size_t n = groups.Groups.size();
    return n <= MaxExactTripGroups && points <= MaxExactTripPoints &&
           (std::size_t{1} << n) * points <= MaxExactTripStates;
}

TripTour SolveTripExact(const TripGroups& groups, const CancelToken* cancel)
{
    if (!ExactTripFits(groups)) throw std::invalid_argument("trip too large for the exact solver");
    if (groups.Groups.empty()) return TripTour{{}, {}, 0.0, 0.0, true};
    // A good tour first: its length prunes every partial way that is longer.
    TripTour start = Heuristic(groups, cancel);
    TripTour exact = Exact(groups, cancel, start.LengthMetres * (1.0 + 1e-9) + Gain);
    if (exact.Order.empty() || exact.LengthMetres > start.LengthMetres) {
        // Nothing shorter: the heuristic's tour was already the shortest.
        start.Optimal = true;
        start.BoundMetres = start.LengthMetres;
        return start;
    }
    return exact;
}

TripTour SolveTripHeuristic(const TripGroups& groups, const CancelToken* cancel)
{
    if (groups.Groups.empty()) return TripTour{{}, {}, 0.0, 0.0, true};
    return Heuristic(groups, cancel);
}

TripTour SolveTrip(const TripGroups& groups, const CancelToken* cancel)
{
    if (ExactTripFits(groups)) return SolveTripExact(groups, cancel);
    return SolveTripHeuristic(groups, cancel);
}

}  // namespace ql
