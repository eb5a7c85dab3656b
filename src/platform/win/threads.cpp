// Placing a new thread (Windows): the system starts a new thread on an idle
// processor itself, so there is nothing to ask.

#include "platform/platform.h"

namespace ql::platform {

void RunOnAnotherProcessor(std::thread&) {}
void AllowEveryProcessor() {}

}  // namespace ql::platform
