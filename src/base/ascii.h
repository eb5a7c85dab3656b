#pragma once
// Case folding of ASCII letters only: every other byte, UTF-8 sequences
// included, stays as it is, whatever the locale.

#include <string>
#include <string_view>

namespace ql {

constexpr char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

inline std::string AsciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

}  // namespace ql
