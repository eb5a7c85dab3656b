#pragma once
// KML placemark files of the caches outside every district, in the temporary folder.

#include <string>
#include <string_view>

namespace ql {

struct AppState;

// Writes TempDir + file name (the code made safe for a file name) + ".kml"
// and appends the file name to PlacemarkFiles.
void WritePlacemark(AppState& state, std::string_view code, std::string_view name, std::string_view latitude,
                    std::string_view longitude);

// The bytes of one placemark file: UTF-8 without byte-order mark, CR LF after every line.
std::string PlacemarkFileBytes(std::string_view code, std::string_view name, std::string_view latitude,
                               std::string_view longitude);

// Deletes every file PlacemarkFiles names from the temporary folder and empties the list.
void RemovePlacemarkFiles(AppState& state);

// The file name a GC code gets: letters, digits, "-" and "_" kept, all else "_", plus ".kml".
// A device name of Windows ("CON", "nul", "COM1", ...) gets a "_" in front.
std::string PlacemarkFileName(std::string_view code);

}  // namespace ql
