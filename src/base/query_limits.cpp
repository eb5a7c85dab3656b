#include "base/query_limits.h"

#include "base/user_error.h"

namespace ql {

std::string GroupedNumber(std::uint64_t n)
{
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
    return grouped;
}

void ThrowQueryTooLarge(std::uint64_t bytes)
{
    throw UserError("Die Abfrage ist zu groß: " + GroupedNumber(bytes) + " Bytes, höchstens " +
                    GroupedNumber(MaxQueryBytes) + " Bytes sind möglich.");
}

void ThrowQueryBeyondLimit()
{
    throw UserError("Die Abfrage ist zu groß: mehr als " + GroupedNumber(MaxQueryBytes) + " Bytes, höchstens " +
                    GroupedNumber(MaxQueryBytes) + " Bytes sind möglich.");
}

void ThrowTooManyLines(std::uint64_t bytes)
{
    throw UserError("Die Abfrage hat zu viele Zeilen: Bei " + GroupedNumber(bytes) + " Bytes sind höchstens " +
                    GroupedNumber(MaxQueryLines(bytes)) + " Zeilen möglich.");
}

}  // namespace ql
