#pragma once
// The proof list a player pastes into the challenge log: the number of
// districts covered, then per covered district (tally order) its best find
// with the listing link, then the districts still missing. As plain text,
// BBCode (the challenge log's markup) or CSV.
//
// A proof list is for the challenge, so it counts only finds dated from the
// cut-off date on, whatever the main window's cut-off box says, and its first
// line says so.

#include <string>
#include <string_view>
#include <vector>

#include "districts/district_overview.h"
#include "core/records.h"

namespace ql {

enum class ProofFormat { Text, BBCode, Csv };

// The find that proves a district, and for one that lies near the border
// the district's next-best find.
struct ProofEntry {
    int row = -1;  // -1: the district is missing
    double metres = NoDistance;
    bool nearBorder = false;  // closer to the border than the threshold
    int nextRow = -1;
    double nextMetres = NoDistance;
    bool onlyEarlier = false;  // missing, but found before the cut-off date
};

// Per district (tally order) the finds dated from the cut-off date on that
// prove it: the one farthest inside; without a measured distance the first.
// `cutOff` counts per district the finds a scan with the cut-off box on left
// out (they made no rows): a district missing with such finds is missing
// "only with finds before" the date, as with the box off.
std::vector<ProofEntry> ChooseProofFinds(const DistrictOverview& overview, const std::vector<CacheRow>& rows,
                                         double thresholdMetres, const DistrictTallyArray& cutOff = {});

// Text and BBCode lines end with "\n". Text:
//   Quenlorn: 35 von 36 Kreisen belegt (Funde ab 2011-05-24)
//   Ahrweiler: GC12345 | Fish & Chips | 2012-03-04 | http://coord.info/GC12345
//   Kusel: GC2 | Rand | 2013-01-01 | http://coord.info/GC2 | randnah, 40 m; kein Fund weiter innen
//   ...
//   Fehlt: Trier (nur Funde vor 2011-05-24)
// BBCode: the same lines, the first in bold, each code a link. CSV: a header
// line, then one line per district separated by ";", distances in metres with
// a decimal comma, lines ending with CR LF as spreadsheet programs expect.
// Names with their character references decoded. What a cache owner wrote
// cannot forge a line or a formula: in text and BBCode a control character or
// line separator in a value is a blank; in CSV a field starting with "=", "+",
// "-", "@", a tab or a CR gets an apostrophe in front; a code's bytes other
// than letters and digits are written "%XX" everywhere, its link included. The
// next-best find is named ("nächstbester Fund: GC3, 120 m") only where it lies
// at or beyond the threshold; otherwise "kein Fund weiter innen".
std::string BuildProofList(const DistrictOverview& overview, const std::vector<CacheRow>& rows, double thresholdMetres,
                           ProofFormat format, const DistrictTallyArray& cutOff = {});

// The bytes of a proof list file: a CSV starts with the UTF-8 byte-order
// mark (a spreadsheet opened by a double click otherwise reads it in the
// ANSI code page); text and BBCode as they are.
std::string ProofListFile(std::string text, ProofFormat format);

// The format a file name asks for: ".csv", ".bbcode" or ".bb" (any letter
// case); text for anything else.
ProofFormat ProofFormatOfFileName(std::string_view fileName);

// stem, a blank and the date the query was made (its first ten characters
// after any blanks, when they are a date), then the extension.
std::string DatedFileName(std::string_view stem, std::string_view queryDate, std::string_view extension);

// "Nachweisliste 2017-01-01.txt": the date the query was made (its first ten
// characters after any blanks when they are a date), the format's extension.
std::string ProofFileName(std::string_view queryDate, ProofFormat format);

// "Text", "BBCode", "CSV".
std::string_view ProofFormatName(ProofFormat format);

}  // namespace ql
