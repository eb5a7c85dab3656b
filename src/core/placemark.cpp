#include "core/placemark.h"

#include <array>
#include <string>

#include "core/app_state.h"
#include "platform/platform.h"

namespace ql {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool IsFileNameSafe(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Element text as the query gives it keeps its escapes ("&amp;" stays); only
// a bare angle bracket, which would break the element, is escaped.
std::string ElementText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The twelve lines of one placemark file.
std::array<std::string, 12> KmlLines(std::string_view code, std::string_view name, std::string_view latitude,
                                     std::string_view longitude)
{
    const std::string title = ElementText(code) + " - " + ElementText(name);
    return {
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<kml xmlns="http://www.opengis.net/kml/2.2">)",
        "<Document>",
        "  <Placemark>",
        "    <name>" + title + "</name>",
        "    <description>" + title + "</description>",
        "    <Point>",
        "      <coordinates>" + ElementText(longitude) + "," + ElementText(latitude) + ",0</coordinates>",
        "    </Point>",
        "  </Placemark>",
        "</Document>",
        "</kml>",
    };
}

// Names Windows keeps for devices whatever the extension: "CON.kml" is the console.
bool IsDeviceName(std::string_view stem)
{
    std::string upper(stem);
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '0' &&
           upper[3] <= '9';
}

}  // namespace

std::string PlacemarkFileName(std::string_view code)
{
    // The code comes from the query: nothing in it may lead out of the folder.
    std::string fileName(code);
    for (char& c : fileName) {
        if (!IsFileNameSafe(c)) c = '_';
    }
    if (IsDeviceName(fileName)) fileName.insert(0, "_");
    return fileName + ".kml";
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

void WritePlacemark(AppState& state, std::string_view code, std::string_view name, std::string_view latitude,
                    std::string_view longitude)
{
    std::string fileName = PlacemarkFileName(code);
    platform::WriteWholeFile(state.TempDir + fileName, PlacemarkFileBytes(code, name, latitude, longitude));
    state.PlacemarkFiles.push_back(std::move(fileName));
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
