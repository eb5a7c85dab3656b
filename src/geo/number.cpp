#include "geo/number.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "base/user_error.h"

namespace ql {

namespace {

bool IsBlank(char c) { return c == ' '; }  // blanks only: any other character is an error
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent of the leading digit of a well-formed number whose value
// did not fit a double: positive means too large, otherwise too small.
long long LeadingExponent(std::string_view body)
{
    std::size_t i = 0;
    long long position = 0;  // power of ten of the digit at i
    long long intDigits = 0;
    while (i < body.size() && IsDigit(body[i])) { ++intDigits; ++i; }
    long long lead = 0;
    bool found = false;
    for (std::size_t k = 0; k < i; ++k) {
        if (body[k] != '0') { lead = intDigits - 1 - static_cast<long long>(k); found = true; break; }
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        position = -1;
        while (i < body.size() && IsDigit(body[i])) {
            if (!found && body[i] != '0') { lead = position; found = true; }
            --position;
            ++i;
        }
    }
    long long exponent = 0;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        bool negative = false;
        if (body[i] == '+' || body[i] == '-') negative = body[i++] == '-';
        for (; i < body.size(); ++i) {
            if (exponent < 1'000'000'000LL) exponent = exponent * 10 + (body[i] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return lead + exponent;
}

}  // namespace

double ParseDecimal(std::string_view text)
{
    std::string_view body = text;
    while (!body.empty() && IsBlank(body.front())) body.remove_prefix(1);
    while (!body.empty() && IsBlank(body.back())) body.remove_suffix(1);

    // The accepted form: [sign] (digits [. [digits]] | . digits) [(E|e) [sign] digits].
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < body.size() && IsDigit(body[i])) { ++i; ++mantissaDigits; }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && IsDigit(body[i])) { ++i; ++mantissaDigits; }
    }
    if (mantissaDigits == 0) ThrowNotAFloat(text);
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < body.size() && IsDigit(body[i])) { ++i; ++exponentDigits; }
        if (exponentDigits == 0) ThrowNotAFloat(text);
    }
    if (i != body.size()) ThrowNotAFloat(text);

    // from_chars takes no '+' anywhere before the mantissa; the sign is applied here.
    double value = 0.0;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large is not a number a coordinate can have; too small is zero.
        if (LeadingExponent(body) > 0) ThrowNotAFloat(text);
        value = 0.0;
    } else if (ec != std::errc() || end != body.data() + body.size()) {
        ThrowNotAFloat(text);
    }
    if (!std::isfinite(value)) ThrowNotAFloat(text);
    return negative ? -value : value;
}

}  // namespace ql
