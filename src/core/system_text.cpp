#include "core/system_text.h"

#include <cstddef>
#include <vector>

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

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string WindowsVersionName(const platform::OsVersion& os, std::uint16_t architecture)
{
    const std::string_view servicePack = ServicePackOf(os);
    // Platform 0: Win32s; 1: the Windows 95 family; 2: the NT family. First row that fits.
    switch (os.PlatformId) {
    case 0:
        return "Win32s unter Windows 3.x";
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
    default:
        return {};
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

bool IsRtfDocument(std::string_view bytes)
{
    return StartsWith(bytes, "{\\rtf");
}

std::string DecodePlainText(std::string_view bytes)
{
    return NormaliseLineBreaks(DecodeTextFile(bytes));
}

namespace {

// Destinations whose content is not part of the readable text.
bool IsSkippedDestination(std::string_view word)
{
    static constexpr std::string_view Skipped[] = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "fldinst", "header", "headerl",
        "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "listtable", "listoverridetable",
        "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "datastore", "latentstyles",
        "filetbl", "revtbl", "bkmkstart", "bkmkend", "nonshppict", "private", "pgdsctbl", "userprops"};
    for (std::string_view s : Skipped)
        if (word == s) return true;
    return false;
}

class RtfReader {
public:
    explicit RtfReader(std::string_view rtf) : rtf_(rtf) {}

    std::string Read()
    {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            if (c == '{') {
                groups_.push_back(state_);
            } else if (c == '}') {
                if (groups_.empty()) continue;  // unbalanced: keep reading
                state_ = groups_.back();
                groups_.pop_back();
            } else if (c == '\\') {
                ControlSequence();
            } else if (c != '\r' && c != '\n') {
                AnsiByte(c);
            }
        }
        FlushAnsi();
        return out_;
    }

private:
    struct State {
        bool skip = false;
        int unicodeSkip = 1;  // \ucN: characters standing in for each \uN
    };

    void ControlSequence()
    {
        if (pos_ >= rtf_.size()) return;
        const char c = rtf_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        switch (c) {
        case '\'': {  // two hex digits; an incomplete escape is dropped
            int value = 0, digits = 0;
            while (digits < 2 && pos_ < rtf_.size() && HexValue(rtf_[pos_]) >= 0) {
                value = value * 16 + HexValue(rtf_[pos_++]);
                ++digits;
            }
            if (digits == 2) AnsiByte(static_cast<char>(value));
            return;
        }
        case '\\': case '{': case '}': AnsiByte(c); return;
        case '~': Character(0xA0); return;
        case '_': Character(0x2011); return;
        case '*': state_.skip = true; return;
        case '\r': case '\n': Text("\n"); return;  // "\" + line end is a paragraph
        default: return;                        // "\-" optional hyphen and the like
        }
    }

    void ControlWord()
    {
        const std::size_t start = pos_;
        while (pos_ < rtf_.size() && IsLetter(rtf_[pos_])) ++pos_;
        const std::string_view word = rtf_.substr(start, pos_ - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < rtf_.size() && rtf_[pos_] >= '0' && rtf_[pos_] <= '9') {
            hasParam = true;
            if (param < 100000000) param = param * 10 + (rtf_[pos_] - '0');
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiting blank belongs to the word

        if (word == "bin") {  // binary data: skip its bytes
            const auto n = static_cast<std::size_t>(hasParam && param > 0 ? param : 0);
            pos_ = n > rtf_.size() - pos_ ? rtf_.size() : pos_ + n;
            return;
        }
        if (IsSkippedDestination(word)) {
            state_.skip = true;
            return;
        }
        if (word == "uc") {
            state_.unicodeSkip = hasParam && param >= 0 ? static_cast<int>(param) : 1;
            return;
        }
        if (word == "u" && hasParam) {
            UnicodeCharacter(param < 0 ? param + 65536 : param);
            return;
        }
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") Text("\n");
        else if (word == "tab" || word == "cell") Text("\t");
        else if (word == "emdash") Character(0x2014);
        else if (word == "endash") Character(0x2013);
        else if (word == "bullet") Character(0x2022);
        else if (word == "lquote") Character(0x2018);
        else if (word == "rquote") Character(0x2019);
        else if (word == "ldblquote") Character(0x201C);
        else if (word == "rdblquote") Character(0x201D);
        else if (word == "emspace" || word == "enspace" || word == "qmspace") Character(' ');
    }

    void UnicodeCharacter(long long value)
    {
        if (state_.skip) return;
        pendingSkip_ = state_.unicodeSkip;
        const auto unit = static_cast<char32_t>(value);
        if (IsHighSurrogate(unit)) {
            DropSurrogate();
            highSurrogate_ = unit;
            return;
        }
        if (IsLowSurrogate(unit) && highSurrogate_) {
            const char32_t cp = CombineSurrogates(highSurrogate_, unit);
            highSurrogate_ = 0;
            Character(cp, false);
            return;
        }
        Character(unit, false);
    }

    // A byte of text in the ANSI code page (ASCII included).
    void AnsiByte(char b)
    {
        if (state_.skip) return;
        if (pendingSkip_ > 0) {  // stands in for the \uN before it
            --pendingSkip_;
            return;
        }
        DropSurrogate();
        ansi_ += b;
    }

    void Character(char32_t cp, bool endsUnicodeSkip = true)
    {
        if (state_.skip) return;
        if (endsUnicodeSkip) pendingSkip_ = 0;
        DropSurrogate();
        FlushAnsi();
        AppendUtf8(out_, cp);
    }

    void Text(std::string_view text)
    {
        if (state_.skip) return;
        pendingSkip_ = 0;
        DropSurrogate();
        FlushAnsi();
        out_ += text;
    }

    void DropSurrogate()
    {
        if (!highSurrogate_) return;
        highSurrogate_ = 0;
        FlushAnsi();
        AppendUtf8(out_, 0xFFFD);
    }

    void FlushAnsi()
    {
        if (ansi_.empty()) return;
        out_ += platform::AnsiToUtf8(ansi_);
        ansi_.clear();
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static int HexValue(char c)
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    State state_;
    std::vector<State> groups_;
    int pendingSkip_ = 0;
    char32_t highSurrogate_ = 0;
    std::string ansi_;
    std::string out_;
};

}  // namespace

std::string RtfToPlainText(std::string_view rtf)
{
    return RtfReader(rtf).Read();
}

std::string HistoryText(std::string_view bytes)
{
    return IsRtfDocument(bytes) ? RtfToPlainText(bytes) : DecodePlainText(bytes);
}

}  // namespace ql
