// PLACEHOLDER: replaced by the real system information.
#include "platform/platform.h"
namespace ql::platform {
std::uint16_t NativeProcessorArchitecture() { return 0; }
}  // namespace ql::platform
