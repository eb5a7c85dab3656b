// The information window's texts, also from the POSIX system information
// (the Windows counterparts are in tests/platform/win_sysinfo_test.cpp).

#ifndef _WIN32
#include <sys/utsname.h>
#endif

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "info/system_text.h"
#include "platform/platform.h"

namespace ql {
namespace {

platform::OsVersion Os(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                       std::string servicePack = {})
{
    platform::OsVersion os;
    os.PlatformId = platformId;
    os.Major = major;
    os.Minor = minor;
    os.Build = build;
    os.ServicePack = std::move(servicePack);
    return os;
}

struct VersionCase {
    platform::OsVersion os;
    std::uint16_t architecture;
    const char* text;
};

TEST(WindowsVersionText, NamesByTheTableAndLaysOutNumbersAndServicePack)
{
    const VersionCase cases[] = {
        {Os(2, 6, 1, 7601, "Service Pack 1"), 9, "Windows 7 x64 Edition (6.1) (Build: 7601) (Service Pack 1)"},
        {Os(2, 6, 1, 7600), 0, "Windows 7 (6.1) (Build: 7600)"},
        {Os(2, 6, 1, 7600), 12, "Windows 7 (6.1) (Build: 7600)"},  // x64 only, not any 64-bit code
        {Os(2, 5, 1, 2600, "Service Pack 3"), 0, "Windows XP (5.1) (Build: 2600) (Service Pack 3)"},
        {Os(2, 6, 0, 6002, "Service Pack 2"), 9, "Windows Vista (6.0) (Build: 6002) (Service Pack 2)"},
        {Os(2, 6, 2, 9200), 9, " (6.2) (Build: 9200)"},  // unknown version: empty name
        {Os(2, 10, 0, 19045), 9, " (10.0) (Build: 19045)"},
        {Os(2, 5, 0, 2195, "Service Pack 4"), 0, "Windows 2000 (5.0) (Build: 2195) (Service Pack 4)"},
        {Os(2, 5, 2, 3790), 9, " (5.2) (Build: 3790)"},
        {Os(2, 4, 0, 1381, "Service Pack 6"), 0, "Windows NT (4.0) (Build: 1381) (Service Pack 6)"},
        {Os(2, 3, 51, 1057), 0, "Windows NT (3.51) (Build: 1057)"},
        {Os(0, 3, 10, 0), 0, "Win32s unter Windows 3.x (3.10) (Build: 0)"},
        // The Windows 95 family puts the service-pack text into its name as well.
        {Os(1, 4, 0, 67109814, " B"), 0, "Windows 95  B  (4.0) (Build: 67109814) ( B)"},
        {Os(1, 4, 0, 950), 0, "Windows 95   (4.0) (Build: 950)"},
        {Os(1, 4, 10, 2222, "A"), 0, "Windows 98SE  (4.10) (Build: 2222) (A)"},
        {Os(1, 4, 10, 1998, " A "), 0, "Windows 98  (4.10) (Build: 1998) ( A )"},
        {Os(1, 4, 10, 1998), 0, "Windows 98  (4.10) (Build: 1998)"},
        {Os(1, 4, 90, 3000), 0, "Windows ME  (4.90) (Build: 3000)"},
        {Os(1, 4, 3, 0), 0, " (4.3) (Build: 0)"},
        // Identifiers beyond Windows' own (the POSIX systems use 4) have no name.
        {Os(4, 6, 1, 0, "Debian GNU/Linux 12 (bookworm)"), 9, " (6.1) (Build: 0) (Debian GNU/Linux 12 (bookworm))"},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(WindowsVersionText(c.os, c.architecture), c.text)
            << c.os.PlatformId << " " << c.os.Major << "." << c.os.Minor;
    }
}

TEST(WindowsVersionText, ServicePackEndsAtItsFirstNullAndAfter128Characters)
{
    EXPECT_EQ(WindowsVersionText(Os(2, 5, 1, 2600, std::string("Service Pack 2\0junk", 19)), 0),
              "Windows XP (5.1) (Build: 2600) (Service Pack 2)");
    EXPECT_EQ(WindowsVersionText(Os(2, 5, 1, 2600, std::string("\0junk", 5)), 0), "Windows XP (5.1) (Build: 2600)");
    // 130 two-byte characters: 128 stay, none is cut in half.
    std::string umlauts;
    for (int i = 0; i < 130; ++i) umlauts += "ä";
    const std::string text = WindowsVersionText(Os(4, 1, 0, 0, umlauts), 0);
    EXPECT_EQ(text, " (1.0) (Build: 0) (" + umlauts.substr(0, 256) + ")");
    // A "98SE" decision looks at the text as it is kept.
    EXPECT_EQ(WindowsVersionName(Os(1, 4, 10, 0, std::string("A\0B", 3)), 0), "Windows 98SE ");
}

TEST(VersionText, FourNumbersInDecimal)
{
    EXPECT_EQ(VersionText({}), "0.0.0.0");  // an executable without version information
    EXPECT_EQ(VersionText({2, 1, 0, 65535}), "2.1.0.65535");
}

TEST(KilobyteText, RoundsHalvesUpAndGroupsThousands)
{
    struct Case {
        std::uint64_t bytes;
        const char* separator;
        const char* text;
    };
    const Case cases[] = {
        {8589934592ULL, ".", "8.388.608 KB"},
        {1536, ".", "2 KB"},  // 1.5 rounds away from zero
        {1535, ".", "1 KB"},
        {511, ".", "0 KB"},
        {512, ".", "1 KB"},
        {1023487, ".", "999 KB"},  // 999.499...
        {1023488, ".", "1.000 KB"},  // 999.5
        {std::numeric_limits<std::uint64_t>::max(), ".", "18.014.398.509.481.984 KB"},
        {8589934592ULL, ",", "8,388,608 KB"},
        {8589934592ULL, "\u202F", "8\u202F388\u202F608 KB"},  // a separator of several bytes
        {8589934592ULL, "", "8388608 KB"},
    };
    for (const Case& c : cases) EXPECT_EQ(KilobyteText(c.bytes, c.separator), c.text) << c.bytes;
}

TEST(ShellErrorText, TextsByCodeAndNoneForSuccess)
{
    EXPECT_EQ(ShellErrorText(0), "Zuwenig Speicher, ausführbare Datei war zerstört, Relokationswerte waren ungültig");
    EXPECT_EQ(ShellErrorText(2), "Datei wurde nicht gefunden.");
    EXPECT_EQ(ShellErrorText(3), "Verzeichnis wurde nicht gefunden.");
    EXPECT_EQ(ShellErrorText(11),
              "Ungültige ausführbare Datei. Entweder keine Windows-Anwendung oder Fehler in der EXE-Datei.");
    EXPECT_EQ(ShellErrorText(19),
              "Versuch, eine komprimierte ausführbare Datei zu laden. Die Datei muß "
              "dekomprimiert werden, bevor sie geladen werden kann.");
    EXPECT_EQ(ShellErrorText(20),
              "Ungültige dynamische Linkbibliothek (DLL). Eine der DLLs, die benötigt wurde, um "
              "die Anwendung auszuführen, war beschädigt.");
    for (int code : {1, 4, 7, 9, 17, 18, 21, 31, 32}) EXPECT_EQ(ShellErrorText(code), "") << code;
    int withText = 0;
    for (int code = 0; code <= 32; ++code) {
        EXPECT_TRUE(ShellResultIsError(code));
        if (!ShellErrorText(code).empty()) ++withText;
    }
    EXPECT_EQ(withText, 15);
    EXPECT_FALSE(ShellResultIsError(33));
    EXPECT_FALSE(ShellResultIsError(42));
}

TEST(SystemErrorText, CodeThenLineBreakThenSystemText)
{
    EXPECT_EQ(SystemErrorText(8, "Nicht genügend Speicher."), "Systemfehler.  Code: 8.\nNicht genügend Speicher.");
}

TEST(HistoryText, PlainTextByByteOrderMarkElseAnsi)
{
    // UTF-8 with its mark; line breaks become "\n".
    EXPECT_EQ(HistoryText("\xEF\xBB\xBFVersion 2.1 \xC3\xA4\r\nZweite\rDritte\n"), "Version 2.1 ä\nZweite\nDritte\n");
    // UTF-16 little endian: "Kä€" and U+1F600 as a surrogate pair.
    EXPECT_EQ(HistoryText(std::string("\xFF\xFEK\0\xE4\0\xAC\x20\x3D\xD8\x00\xDE\r\0\n\0", 16)),
              "Kä€\xF0\x9F\x98\x80\n");
    // UTF-16 big endian, an odd last byte dropped.
    EXPECT_EQ(HistoryText(std::string("\xFE\xFF\0K\0\xFC\0", 7)), "Kü");
    // An unpaired surrogate becomes the replacement character.
    EXPECT_EQ(HistoryText(std::string("\xFF\xFE\x3D\xD8K\0", 6)), "\xEF\xBF\xBDK");
    // No mark: the ANSI code page (Windows-1252 here), even for bytes that look like UTF-8.
    EXPECT_EQ(HistoryText("Gr\xFC\xDF"
                          "e \x80"),
              "Grüße €");
    EXPECT_EQ(HistoryText("\xC3\xA4"), "Ã¤");
    EXPECT_EQ(HistoryText(""), "");
}

// ---- The POSIX system information -------------------------------------------

#ifndef _WIN32
TEST(PosixSystemInformation, KernelAndDistributionWithoutAWindowsName)
{
    struct utsname names {};
    ASSERT_EQ(::uname(&names), 0);
    const platform::OsVersion os = platform::QueryOsVersion();
    EXPECT_EQ(os.PlatformId, 4u);
    EXPECT_EQ(std::string(names.release).rfind(std::to_string(os.Major) + "." + std::to_string(os.Minor) + ".", 0), 0u)
        << names.release;
    EXPECT_FALSE(os.ServicePack.empty());
    const std::string text = WindowsVersionText(os, platform::NativeProcessorArchitecture());
    EXPECT_EQ(text.rfind(" (" + std::to_string(os.Major) + "." + std::to_string(os.Minor) + ") (Build: ", 0), 0u)
        << text;
#if defined(__x86_64__)
    EXPECT_EQ(platform::NativeProcessorArchitecture(), 9);
#elif defined(__aarch64__)
    EXPECT_EQ(platform::NativeProcessorArchitecture(), 12);
#endif
}
#endif  // _WIN32

}  // namespace
}  // namespace ql
