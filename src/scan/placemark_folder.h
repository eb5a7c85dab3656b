#pragma once
// The folder of this program's own inside the temporary folder, where the
// placemark files of its scans go: made with a name no other instance has and
// for the current user alone, removed with everything in it when the program
// ends. While the program runs it holds a lock on the marker file inside the
// folder; a folder of this program's name whose marker's lock is free is left
// over from an instance that ended without cleaning up, and is removed when a
// new one is made. Nothing else is ever deleted: not a folder of another
// name, nor one without the marker, nor one whose lock is held, wherever its
// holder runs.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace ql {

// The start of every such folder's name: "quenlorn-<process id>-<suffix>",
// the suffix PlacemarkFolderSuffixLength letters a-z and digits.
constexpr std::string_view PlacemarkFolderPrefix = "quenlorn-";
constexpr std::size_t PlacemarkFolderSuffixLength = 8;

// The file inside the folder that says it is this program's, and its text.
constexpr std::string_view PlacemarkMarkerName = "quenlorn-placemarks.lock";
constexpr std::string_view PlacemarkMarkerText = "Quenlorn Polygonberechnung: Ortsmarken dieser Sitzung\n";

// The process id a folder name of exactly this program's form carries, or
// none for a name of another form.
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

    // Makes the folder anew when something removed it meanwhile (a cleaner
    // of the temporary folder): under its old name where that is free, else
    // under a new one. Returns the path to use from now on; throws as the
    // constructor does.
    const std::string& Restore();

private:
    // Makes the folder and its locked marker at `path` (no separator at the
    // end); false when the name is taken.
    bool MakeAt(const std::string& path);
    void Make();

    std::string tempDir_;
    std::string path_;
    std::unique_ptr<platform::FileLock> lock_;
};

// Removes the folders in `tempDir` of instances that no longer run: those of
// exactly this program's name holding the marker whose lock is free.
void RemoveStalePlacemarkFolders(const std::string& tempDir);

}  // namespace ql
