#pragma once
// KML placemark files of the caches outside every district, in the temporary folder.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace ql {

struct AppState;

// The longest file name stem a code gives, before a distinguishing suffix.
inline constexpr std::size_t MaxPlacemarkStem = 100;

// The file name a GC code gets: letters, digits, "-" and "_" kept, all else
// "_", cut to 100 characters, plus ".kml". A device name of Windows ("CON",
// "nul", "COM1", ...) gets a "_" in front.
std::string PlacemarkFileName(std::string_view code);

// The file names given in one scan. Each placemark gets its own file: a name
// already given, in any letter case, gets "~2", "~3", ... before ".kml".
class PlacemarkNames {
public:
    PlacemarkNames() = default;
    // Starts with the names already written (the state's PlacemarkFiles).
    template <class Names>
    explicit PlacemarkNames(const Names& written)
    {
        for (const std::string& name : written) taken_.insert(Folded(name));
    }

    // A name for the code that no earlier one has, remembered from now on.
    std::string Claim(std::string_view code);

private:
    static std::string Folded(std::string_view name);
    std::unordered_set<std::string> taken_;  // names in lower case
    std::unordered_map<std::string, unsigned> suffix_;  // per lower-case stem: the next suffix to try
};

// The placemark file's bytes: twelve lines, UTF-8 without byte-order mark,
// CR LF after every line.
std::string PlacemarkFileBytes(std::string_view code, std::string_view name, std::string_view latitude,
                               std::string_view longitude);

// Deletes every file PlacemarkFiles names from the temporary folder and empties the list.
void RemovePlacemarkFiles(AppState& state);

}  // namespace ql
