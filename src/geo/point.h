#pragma once
// Points and polygons: X is the latitude, Y the longitude, in decimal degrees.

#include <vector>

namespace ql {

struct TFPoint {
    double X = 0.0;  // latitude
    double Y = 0.0;  // longitude
};

// The vertices of one closed polygon in file order; the edge from the last
// vertex back to the first is implied.
using TPolyArray = std::vector<TFPoint>;

}  // namespace ql
