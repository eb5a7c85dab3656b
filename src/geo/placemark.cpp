// PLACEHOLDER: replaced by the real placemark writer.
#include "geo/placemark.h"
#include "core/app_state.h"
namespace ql {
void RemovePlacemarkFiles(AppState& state) { state.PlacemarkFiles.clear(); }
}  // namespace ql
