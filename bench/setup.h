#pragma once
// What a benchmark run sets up around the engine: a temporary folder, the
// district polygons.

#include <string>

#include "archive/extract.h"
#include "state/app_state.h"

namespace bench {

// A fresh folder under the system's temporary folder ("PREFIX-XXXXXX"),
// removed again with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }  // ends with the separator

private:
    std::string path_;
};

// A fresh folder "PREFIX-XXXXXX" inside `parent` (ending with the separator);
// its path, ending with the separator.
std::string MakeFolderIn(const std::string& parent, const std::string& prefix);

// The 36 district polygons from their files in `dir`.
void LoadPolygons(ql::AppState& state, std::string dir);

}  // namespace bench
