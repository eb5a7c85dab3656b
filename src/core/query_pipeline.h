#pragma once
// The steps from a chosen file to the query lines, and the My Finds check.

#include <string>
#include <string_view>

#include "core/query_text.h"

namespace ql {

// True when the file name ends in ".zip", in any letter case.
bool HasZipExtension(std::string_view path);

// Reads a GPX file whole and splits it into lines.
QueryText LoadQueryFile(const std::string& path);

// Line 2 must contain "My Finds Pocket Query"; then queryDate gets line 6
// without its time tags and with every "T" written " - ".
bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate);

}  // namespace ql
