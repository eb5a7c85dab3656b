#include "info/system_text.h"

#include <cstddef>

#include "info/rtf_reader.h"
#include "core/text_decode.h"

namespace ql {

namespace {

constexpr std::size_t MaxServicePackChars = 128;

// The service-pack text as the system hands it over: up to the first null
// character, at most 128 characters (a character = a UTF-8 code point).
std::string_view ServicePackOf(const platform::OsVersion& os)
{
    std::string_view text = os.ServicePack;
    text = text.substr(0, text.find('\0'));
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) == 0x80) continue;  // continuation byte
        if (chars == MaxServicePackChars) return text.substr(0, i);
        ++chars;
    }
    return text;
}

// CR LF and a lone CR become LF.
std::string NormaliseLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string WindowsVersionName(const platform::OsVersion& os, std::uint16_t architecture)
{
    const std::string_view servicePack = ServicePackOf(os);
    // Platform 0: Win32s; 1: the Windows 95 family; 2: the NT family. First row that fits.
    switch (os.PlatformId) {
    case 0: return "Win32s unter Windows 3.x";
    case 1:
        if (os.Minor == 0) return "Windows 95 " + std::string(servicePack) + " ";
        if (os.Minor == 10) return servicePack == "A" ? "Windows 98SE " : "Windows 98 ";
        if (os.Minor == 90) return "Windows ME ";
        return {};
    case 2:
        if (os.Major == 3 || os.Major == 4) return "Windows NT";
        if (os.Major == 5 && os.Minor == 0) return "Windows 2000";
        if (os.Major == 5 && os.Minor == 1) return "Windows XP";
        if (os.Major == 6 && os.Minor == 0) return "Windows Vista";
        if (os.Major == 6 && os.Minor == 1)
            return architecture == ArchitectureX64 ? "Windows 7 x64 Edition" : "Windows 7";
        return {};
    default: return {};
    }
}

std::string WindowsVersionText(const platform::OsVersion& os, std::uint16_t architecture)
{
    std::string text = WindowsVersionName(os, architecture);
    text += " (" + std::to_string(os.Major) + "." + std::to_string(os.Minor) + ")";
    text += " (Build: " + std::to_string(os.Build) + ")";
    const std::string_view servicePack = ServicePackOf(os);
    if (!servicePack.empty()) text += " (" + std::string(servicePack) + ")";
    return text;
}

std::string VersionText(const platform::FileVersion& v)
{
    return std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." + std::to_string(v.Release) + "." +
           std::to_string(v.Build);
}

std::string KilobyteText(std::uint64_t bytes, std::string_view thousandsSeparator)
{
    // Whole-number arithmetic gives what rounding bytes / 1024.0 with halves
    // away from zero gives, and stays exact beyond 2^53 bytes.
    const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    const std::string digits = std::to_string(kilobytes);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += thousandsSeparator;
        text += digits[i];
    }
    return text + " KB";
}

std::string SystemErrorText(int code, std::string_view osText)
{
    return "Systemfehler.  Code: " + std::to_string(code) + ".\n" + std::string(osText);
}

std::string_view ShellErrorText(int code)
{
    switch (code) {
    case 0: return "Zuwenig Speicher, ausführbare Datei war zerstört, Relokationswerte waren ungültig";
    case 2: return "Datei wurde nicht gefunden.";
    case 3: return "Verzeichnis wurde nicht gefunden.";
    case 5:
        return "Fehler beim gemeinsamen Zugriff auf eine Datei im Netz oder Fehler beim Zugriff auf eine "
               "gesperrte Datei im Netz.";
    case 6: return "Bibliothek forderte separate Datensegmente für jede Task an.";
    case 8: return "Zuwenig Speicher, um die Anwendung zu starten.";
    case 10: return "Falsche Windows-Version.";
    case 11: return "Ungültige ausführbare Datei. Entweder keine Windows-Anwendung oder Fehler in der EXE-Datei.";
    case 12: return "Anwendung für ein anderes Betriebssystem.";
    case 13: return "Anwendung für MS-DOS 4.0.";
    case 14: return "Typ der ausführbaren Datei unbekannt.";
    case 15: return "Versuch, eine Real-Mode-Anwendung (für eine frühere Windows-Version) zu laden.";
    case 16:
        return "Versuch, eine zweite Instanz einer ausführbaren Datei mit mehreren Datensegmenten, die nicht als "
               "nur lesbar gekennzeichnet waren, zu laden.";
    case 19:
        return "Versuch, eine komprimierte ausführbare Datei zu laden. Die Datei muß dekomprimiert werden, bevor "
               "sie geladen werden kann.";
    case 20:
        return "Ungültige dynamische Linkbibliothek (DLL). Eine der DLLs, die benötigt wurde, um die Anwendung "
               "auszuführen, war beschädigt.";
    default: return {};
    }
}

// ---- History text ------------------------------------------------------------

std::string DecodePlainText(std::string_view bytes)
{
    return NormaliseLineBreaks(DecodeTextFile(bytes));
}

std::string HistoryText(std::string_view bytes)
{
    return IsRtfDocument(bytes) ? RtfToPlainText(bytes) : DecodePlainText(bytes);
}

}  // namespace ql
