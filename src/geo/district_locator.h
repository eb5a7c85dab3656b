#pragma once
// Finds the first district (in index order) whose polygon contains a point.
// Built once from the polygon table; answers exactly as testing the plain
// crossing rule against every polygon in index order would.

#include <vector>

#include "geo/point.h"

namespace ql {

class DistrictLocator {
public:
    void Build(const PolygonTable& table);

    // District index 0..35, or -1 when no polygon contains the point.
    int Find(TFPoint p) const;

private:
    struct Impl;
    std::vector<char> placeholder_;  // replaced by the index structure
};

}  // namespace ql
