#include "core/records.h"

#include "platform/platform.h"

namespace ql {

namespace {
std::string AnsiField(std::string_view utf8, std::size_t capacity)
{
    std::string ansi = platform::Utf8ToAnsi(utf8);
    if (ansi.size() > capacity) ansi.resize(capacity);
    return ansi;
}
}  // namespace

TNIPDatum TNIPDatum::FromUtf8(std::string_view gcCode, std::string_view name, std::string_view type,
                              std::string_view coordTexts, std::string_view decimalCoords)
{
    TNIPDatum d;
    d.GCNummer = AnsiField(gcCode, GCNummerCapacity);
    d.Cachename = AnsiField(name, CachenameCapacity);
    d.Typ = AnsiField(type, TypCapacity);
    d.Koords = AnsiField(coordTexts, KoordsCapacity);
    d.fKoords = AnsiField(decimalCoords, fKoordsCapacity);
    return d;
}

}  // namespace ql
