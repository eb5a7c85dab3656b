#pragma once
// The texts of the information window, made from what the platform reports:
// the operating-system text, the version text, the kilobyte figures, the shell
// error texts and the history text (RTF documents through core/rtf_reader.h).
// Pure rules, the same on every platform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace ql {

// Processor architecture code of the native system information meaning x64.
constexpr std::uint16_t ArchitectureX64 = 9;

// The name of a version by the naming table ("Windows 7 x64 Edition",
// "Windows 95 " + service pack + " ", ...); empty for a version it does not know.
std::string WindowsVersionName(const platform::OsVersion& os, std::uint16_t architecture);

// Name, then " (major.minor)", " (Build: n)" and, with a service-pack text,
// " (text)". The service-pack text counts up to its first null character and
// at most 128 characters.
std::string WindowsVersionText(const platform::OsVersion& os, std::uint16_t architecture);

// "major.minor.release.build" in decimal.
std::string VersionText(const platform::FileVersion& version);

// A byte count as kilobytes: bytes / 1024 rounded to a whole number, exact
// halves away from zero (1,536 bytes -> 2), grouped in thousands with the
// separator given, followed by " KB": "8.388.608 KB".
std::string KilobyteText(std::uint64_t bytes, std::string_view thousandsSeparator);

// "Systemfehler.  Code: %d." + line break + the system's text.
std::string SystemErrorText(int code, std::string_view osText);

// Shell results above 32 mean success; the others are reported.
constexpr bool ShellResultIsError(int code)
{
    return code <= 32;
}

// The text the shell error box shows for a result code; empty for the codes
// without a text of their own (the box then shows none).
std::string_view ShellErrorText(int code);

// ---- History text ------------------------------------------------------------

// Plain text as UTF-8 with "\n" line breaks: UTF-16 little or big endian or
// UTF-8 when a matching byte-order mark starts it, else the ANSI code page.
std::string DecodePlainText(std::string_view bytes);

// The history text as shown: RTF documents by RtfToPlainText, others by DecodePlainText.
std::string HistoryText(std::string_view bytes);

}  // namespace ql
