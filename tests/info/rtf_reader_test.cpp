// The text of RTF documents as the information window's history page shows it.

#include <string>

#include <gtest/gtest.h>

#include "info/rtf_reader.h"
#include "info/system_text.h"

namespace ql {
namespace {

TEST(RtfReader, DocumentsShowTheirTextWithoutFormatting)
{
    EXPECT_TRUE(IsRtfDocument("{\\rtf1 x}"));
    EXPECT_FALSE(IsRtfDocument("\xEF\xBB\xBF{\\rtf1 x}"));
    EXPECT_FALSE(IsRtfDocument(" {\\rtf1 x}"));

    // As WordPad writes it: tables and generator left out, "\'hh" in the ANSI
    // code page, "\uN" with its stand-in character skipped.
    const std::string wordpad =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue191;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\cf1\\b\\f0\\fs22\\lang7 Version 2.1\\b0\\par\r\n"
        "- Gr\\'f6\\'dfere Querys\\tab schneller\\line neu: \\u8364?uro\\par\r\n"
        "Klammern \\{ \\} und \\\\ bleiben\\~stehen\\par\r\n"
        "}\r\n";
    EXPECT_EQ(HistoryText(wordpad),
              "Version 2.1\n- Größere Querys\tschneller\nneu: €uro\nKlammern { } und \\ bleiben\u00A0stehen\n");

    // \ucN: N stand-in characters, "\'hh" counting as one; a surrogate pair of \u words.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\uc2\\u252\\'fc\\'fcx \\uc1\\u-10179?\\u-8704?!}"), "üx \xF0\x9F\x98\x80!");
    // Pictures, binary data and ignorable groups are left out; fields show their result.
    EXPECT_EQ(RtfToPlainText("{\\rtf1 a{\\pict\\pngblip 89504e47}b{\\*\\unknown zz}c\\bin3 {}}d"
                             "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}}"),
              "abcdLink");
    // Damaged documents end without reading past their end.
    EXPECT_EQ(RtfToPlainText("{\\rtf1 a}}}b\\'4"), "ab");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 x\\bin99999999"), "x");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 \\u-10179?x}"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace ql
