// The registry on POSIX systems: there is none, so every key is absent and
// the callers take their fallbacks.

#include "platform/platform.h"

namespace ql::platform {

namespace {

class AbsentRegistry : public RegistryReader {
public:
    bool OpenKey(const std::string&) override { return false; }
    std::optional<std::string> ReadString(const std::string&) override { return std::nullopt; }
    void CloseKey() override {}
};

}  // namespace

std::unique_ptr<RegistryReader> MakeRegistryReader()
{
    return std::make_unique<AbsentRegistry>();
}

}  // namespace ql::platform
