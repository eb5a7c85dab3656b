#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <optional>
#include <string>
#include <string_view>

#include "archive/extract.h"
#include "platform/platform.h"
#include "query/query_text.h"

namespace ql {

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// The bytes of a query: for a name with the ZIP extension the first GPX entry
// of the archive, extracted with its progress; else the file read whole, a
// file larger than a query may be refused before it is read.
platform::LargeBuffer ReadQueryBytes(const std::string& path, ExtractProgress& progress);

// Opens a query: its bytes (ReadQueryBytes) split into lines.
QueryText OpenQuery(const std::string& path, ExtractProgress& progress);
// The same where nobody watches the progress.
QueryText OpenQuery(const std::string& path);

// The query date of a My Finds query, none for any other file: line 2 must
// contain "My Finds Pocket Query"; the date is line 6 without its time tags
// and with every "T" written " - ".
std::optional<std::string> IsMyFindsQuery(const QueryText& lines);

// True when the query ends with its closing </gpx> line; blanks and line
// breaks may follow it.
bool EndsWithClosingLine(const QueryText& lines);

// "Die Datei "%s" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurden %d Funde gelesen."
std::string IncompleteQueryText(const std::string& path, std::size_t finds);

}  // namespace ql
