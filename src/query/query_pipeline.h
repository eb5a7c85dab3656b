#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <string>
#include <string_view>

#include "query/query_text.h"

namespace ql {

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// Reads a GPX file whole and splits it into lines; a file larger than a query
// may be is refused before it is read.
QueryText LoadQueryFile(const std::string& path);

// Line 2 must contain "My Finds Pocket Query"; then queryDate gets line 6
// without its time tags and with every "T" written " - ".
bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate);

// True when the query ends with its closing </gpx> line; blanks and line
// breaks may follow it.
bool EndsWithClosingLine(const QueryText& lines);

// "Die Datei "%s" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurden %d Funde gelesen."
std::string IncompleteQueryText(const std::string& path, std::size_t finds);

}  // namespace ql
