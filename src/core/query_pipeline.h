#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <string>
#include <string_view>

#include "core/query_text.h"

namespace ql {

struct AppState;

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// Reads a GPX file whole and splits it into lines; a file larger than a query
// may be is refused before it is read.
QueryText LoadQueryFile(const std::string& path);

// Line 2 must contain "My Finds Pocket Query"; then queryDate gets line 6
// without its time tags and with every "T" written " - ".
bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate);

// True when the query has its closing </gpx> line. Whatever follows it (NUL
// bytes left by a crash or a sync tool, a Ctrl-Z, a comment) is ignored.
bool EndsWithClosingLine(const QueryText& lines);

// "Die Datei "%s" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurden %d Funde gelesen."
std::string IncompleteQueryText(const std::string& path, std::size_t finds);

// A scan of the loaded query: its rows, and for a file cut short the message
// the user reads.
struct QueryScan {
    int Rows = 0;
    std::string Incomplete;  // empty for a complete file
    std::string Notice;      // what the user is told once: the placemark files were capped
};

// Scans the loaded query (see ScanWaypoints). A file that ends before its
// closing line keeps the rows read up to the cut and says it is incomplete;
// the scan's read past the last line gives way to that message, any other
// error of the scan is thrown as it is. A complete file's
// errors are thrown as they are; no lines at all (nothing loaded) are no cut.
QueryScan ScanQuery(AppState& state);

}  // namespace ql
