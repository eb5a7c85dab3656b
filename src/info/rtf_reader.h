#pragma once
// Reads the text out of an RTF document, as WordPad writes it: what a reader
// sees, without formatting.

#include <string>
#include <string_view>

namespace ql {

// True when the bytes are an RTF document ("{\rtf" at their start).
bool IsRtfDocument(std::string_view bytes);

// The readable text of an RTF document as UTF-8 with "\n" line breaks:
// paragraphs, line breaks, tabs, special characters, "\'hh" bytes (ANSI code
// page) and "\uN" characters; font, colour and style tables, pictures, fields'
// instructions and other ignorable groups are left out; formatting is dropped.
std::string RtfToPlainText(std::string_view rtf);

}  // namespace ql
