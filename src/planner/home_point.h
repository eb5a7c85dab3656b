#pragma once
// The player's home point, entered as text: the site's form
// "N 49° 59.123 E 008° 15.456" or decimal degrees "49.98538, 8.25760".

#include <string>
#include <string_view>

#include "geo/point.h"

namespace ql {

// Throws UserError "Der Heimatpunkt "%s" ist keine gültige Koordinate. ..."
// for any other text, and for minutes of 60 or more or a point off the globe.
TFPoint ParseHomePoint(std::string_view text);

// The point in the site's form, "N 49° 59.123 E 008° 15.456", rounded to a
// thousandth of a minute with 60 minutes carried into the degree: the text
// reads back as the same point (within that thousandth) and writes back the
// same.
std::string HomePointText(TFPoint point);

// Metres along the globe between two points (mean earth radius).
double GreatCircleMetres(TFPoint a, TFPoint b);

}  // namespace ql
