#pragma once
// The folder of this program's own inside the temporary folder, where the
// placemark files of its scans go: made with a name no other instance has and
// for the current user alone, removed with everything in it when the program
// ends. Other instances' folders whose process no longer runs are removed when
// one is made; nothing outside such a folder is ever deleted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ql {

// The start of every such folder's name: "quenlorn-<process id>-<suffix>".
constexpr std::string_view PlacemarkFolderPrefix = "quenlorn-";

// The process id a folder name carries, or none for a name of another form.
std::optional<std::uint64_t> PlacemarkFolderProcess(std::string_view name);

class PlacemarkFolder {
public:
    // Removes the stale folders in `tempDir` (ending with the separator) and
    // makes this instance's. Throws "Datei "%s" kann nicht erstellt werden. %s"
    // when no folder can be made.
    explicit PlacemarkFolder(const std::string& tempDir);
    ~PlacemarkFolder();  // removes the folder and its contents
    PlacemarkFolder(const PlacemarkFolder&) = delete;
    PlacemarkFolder& operator=(const PlacemarkFolder&) = delete;

    // The folder, ending with the separator.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Removes the folders in `tempDir` of instances whose process no longer runs.
void RemoveStalePlacemarkFolders(const std::string& tempDir);

}  // namespace ql
