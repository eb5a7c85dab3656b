// PLACEHOLDER: replaced by the real registry reader.
#include "platform/platform.h"
namespace ql::platform {
namespace {
class NoRegistry : public RegistryReader {
public:
    bool OpenKey(const std::string&) override { return false; }
    std::optional<std::string> ReadString(const std::string&) override { return std::nullopt; }
    void CloseKey() override {}
};
}  // namespace
std::unique_ptr<RegistryReader> MakeRegistryReader() { return std::make_unique<NoRegistry>(); }
}  // namespace ql::platform
