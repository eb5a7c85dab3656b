// PLACEHOLDER: replaced by the real polygon folder resolution and file reader.
#include "geo/polygon_files.h"
#include "core/app_state.h"
#include "core/tables.h"
namespace ql {
void ResolvePolygonDir(AppState& state, platform::RegistryReader&)
{
    state.PolygonDir = state.ProgramDir + std::string(PolygonSubfolder);
}
}  // namespace ql
