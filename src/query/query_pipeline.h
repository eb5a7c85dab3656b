#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <optional>
#include <string>
#include <string_view>

#include "archive/extract.h"
#include "platform/platform.h"
#include "query/query_text.h"

namespace ql {

class CancelToken;

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// The bytes of a query: for a name with the ZIP extension the first GPX entry
// of the archive, extracted with its progress; else the file whole, mapped
// where the system allows, a file larger than a query may be refused before it
// is read. A file cut short while its mapped bytes are split or scanned throws
// "Die Datei "%s" wurde beim Lesen verändert." there.
platform::LargeBuffer ReadQueryBytes(const std::string& path, ExtractProgress& progress);

// Opens a query: its bytes (ReadQueryBytes) split into lines.
QueryText OpenQuery(const std::string& path, ExtractProgress& progress);
// The same where nobody watches the progress.
QueryText OpenQuery(const std::string& path);
// The same with a stop looked for at every progress step of the extraction
// (each MiB of text at most) and before the text is split: a stop throws
// Cancelled, and nothing read so far is kept.
QueryText OpenQuery(const std::string& path, ExtractProgress& progress, const CancelToken* cancel);

// The query date of a My Finds query, none for any other file: line 2 must
// contain "My Finds Pocket Query"; the date is line 6 without its time tags
// and with every "T" written " - ".
std::optional<std::string> IsMyFindsQuery(const QueryText& lines);

// True when the query has its closing </gpx> line. Whatever follows it (NUL
// bytes left by a crash or a sync tool, a Ctrl-Z, a comment) is ignored.
bool EndsWithClosingLine(const QueryText& lines);

// "Die Datei "%s" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurden %d Funde gelesen."
std::string IncompleteQueryText(const std::string& path, std::size_t finds);

}  // namespace ql
