#include "scan/placemark.h"

#include <array>
#include <string>

#include "base/ascii.h"
#include "state/app_state.h"
#include "reports/placemark_text.h"
#include "platform/platform.h"

namespace ql {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool IsFileNameSafe(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The twelve lines of one placemark file.
std::array<std::string, 12> KmlLines(std::string_view code, std::string_view name, std::string_view latitude,
                                     std::string_view longitude)
{
    const std::string title = DecodeQueryText(code) + " - " + DecodeQueryText(name);
    return {
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<kml xmlns="http://www.opengis.net/kml/2.2">)",
        "<Document>",
        "  <Placemark>",
        "    <name>" + XmlText(title) + "</name>",
        "    <description>" + DescriptionText(title) + "</description>",
        "    <Point>",
        "      <coordinates>" + XmlText(DecodeQueryText(longitude)) + "," + XmlText(DecodeQueryText(latitude)) +
            ",0</coordinates>",
        "    </Point>",
        "  </Placemark>",
        "</Document>",
        "</kml>",
    };
}

// Names Windows keeps for devices whatever the extension: "CON.kml" is the console.
bool IsDeviceName(std::string_view stem)
{
    const std::string upper = AsciiUpper(stem);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '0' &&
           upper[3] <= '9';
}

}  // namespace

std::string PlacemarkFileName(std::string_view code)
{
    // The code comes from the query: nothing in it may lead out of the folder,
    // and no length of it may make the name too long for the file system.
    std::string fileName(code.substr(0, MaxPlacemarkStem));
    for (char& c : fileName) {
        if (!IsFileNameSafe(c)) c = '_';
    }
    if (IsDeviceName(fileName)) fileName = "_" + fileName;
    return fileName + ".kml";
}

std::string PlacemarkNames::Folded(std::string_view name)
{
    return AsciiLower(name);
}

std::string PlacemarkNames::Claim(std::string_view code)
{
    std::string fileName = PlacemarkFileName(code);
    if (taken_.insert(Folded(fileName)).second) return fileName;
    // Taken: the stem with the first free suffix, in any letter case.
    const std::string stem = fileName.substr(0, fileName.size() - 4);
    unsigned& next = suffix_.try_emplace(Folded(stem), 2).first->second;
    for (;; ++next) {
        std::string candidate = stem + "~" + std::to_string(next) + ".kml";
        if (taken_.insert(Folded(candidate)).second) {
            ++next;
            return candidate;
        }
    }
}

std::string PlacemarkFileBytes(std::string_view code, std::string_view name, std::string_view latitude,
                               std::string_view longitude)
{
    std::string bytes;
    for (const std::string& line : KmlLines(code, name, latitude, longitude)) {
        bytes += line;
        bytes += LineEnd;
    }
    return bytes;
}

void RemovePlacemarkFiles(AppState& state)
{
    for (const std::string& fileName : state.PlacemarkFiles) {
        const std::string path = state.TempDir + fileName;
        if (platform::FileExists(path)) platform::DeleteFileQuietly(path);
    }
    state.PlacemarkFiles.clear();
}

}  // namespace ql
