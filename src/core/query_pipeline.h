#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <string>
#include <string_view>

#include "core/query_text.h"

namespace ql {

struct AppState;

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// Reads a GPX file whole (mapped where the system allows) and splits it into
// lines; a file larger than a query may be is refused before it is read. A
// file cut short while it is read throws "Die Datei "%s" wurde beim Lesen
// verändert.".
QueryText LoadQueryFile(const std::string& path);

// Line 2 must contain "My Finds Pocket Query"; then queryDate gets line 6
// without its time tags and with every "T" written " - ".
bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate);

// True when the query ends with its closing </gpx> line; blanks and line
// breaks may follow it.
bool EndsWithClosingLine(const QueryText& lines);

// "Die Datei "%s" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurden %d Funde gelesen."
std::string IncompleteQueryText(const std::string& path, std::size_t finds);

// A scan of the loaded query: its rows, and for a file cut short the message
// the user reads.
struct QueryScan {
    int Rows = 0;
    std::string Incomplete;  // empty for a complete file
};

// Scans the loaded query (see ScanWaypoints). A file that ends before its
// closing line keeps the rows read up to the cut and says it is incomplete;
// an error of the scan at the cut gives way to that message. A complete file's
// errors are thrown as they are; no lines at all (nothing loaded) are no cut.
// A mapped file cut short meanwhile throws "Die Datei "%s" wurde beim Lesen
// verändert." whatever else the scan found.
QueryScan ScanQuery(AppState& state);

}  // namespace ql
