#include "info/rtf_reader.h"

#include <cstddef>
#include <vector>

#include "base/utf8.h"
#include "platform/platform.h"

namespace ql {

bool IsRtfDocument(std::string_view bytes)
{
    return bytes.substr(0, 5) == "{\\rtf";
}

namespace {

// Destinations whose content is not part of the readable text.
bool IsSkippedDestination(std::string_view word)
{
    static constexpr std::string_view Skipped[] = {"fonttbl",
                                                   "colortbl",
                                                   "stylesheet",
                                                   "info",
                                                   "pict",
                                                   "object",
                                                   "fldinst",
                                                   "header",
                                                   "headerl",
                                                   "headerr",
                                                   "headerf",
                                                   "footer",
                                                   "footerl",
                                                   "footerr",
                                                   "footerf",
                                                   "listtable",
                                                   "listoverridetable",
                                                   "rsidtbl",
                                                   "generator",
                                                   "xmlnstbl",
                                                   "themedata",
                                                   "colorschememapping",
                                                   "datastore",
                                                   "latentstyles",
                                                   "filetbl",
                                                   "revtbl",
                                                   "bkmkstart",
                                                   "bkmkend",
                                                   "nonshppict",
                                                   "private",
                                                   "pgdsctbl",
                                                   "userprops"};
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
        case '\\':
        case '{':
        case '}': AnsiByte(c); return;
        case '~': Character(0xA0); return;
        case '_': Character(0x2011); return;
        case '*': state_.skip = true; return;
        case '\r':
        case '\n': Text("\n"); return;  // "\" + line end is a paragraph
        default: return;  // "\-" optional hyphen and the like
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

}  // namespace ql
