#pragma once
// The texts of a placemark file. A value from the query is XML text with its
// character references ("&amp;" means "&"): it is decoded to the text it means,
// then written so that the file is well-formed XML and no markup from the query
// becomes live, not even in a viewer that renders descriptions as HTML.

#include <string>
#include <string_view>

namespace ql {

// The text a query value means: "&amp;", "&lt;", "&gt;", "&quot;", "&apos;"
// and numeric references ("&#228;", "&#xE4;") decoded as CharacterReferenceAt
// reads them (a number naming no character gives U+FFFD); anything else, a bare
// "&" included, kept as it stands. A character XML cannot hold (a control
// character other than TAB, CR and LF, a surrogate, U+FFFE, U+FFFF) becomes "?".
std::string DecodeQueryText(std::string_view value);

// Text as element content: "&", "<" and ">" escaped.
std::string XmlText(std::string_view text);

// Text as description content: like XmlText, with "<" and ">" written as
// "‹" and "›", so that a viewer that reads the description as HTML finds no
// tag in it and shows the same text as one that reads it as text.
std::string DescriptionText(std::string_view text);

}  // namespace ql
