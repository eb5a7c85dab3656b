#include "scan/placemark_folder.h"

#include <charconv>
#include <random>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql {

std::optional<std::uint64_t> PlacemarkFolderProcess(std::string_view name)
{
    if (!name.starts_with(PlacemarkFolderPrefix)) return std::nullopt;
    name.remove_prefix(PlacemarkFolderPrefix.size());
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (error != std::errc() || end == name.data() || end == name.data() + name.size() || *end != '-')
        return std::nullopt;
    return id;
}

void RemoveStalePlacemarkFolders(const std::string& tempDir)
{
    const std::uint64_t self = platform::CurrentProcessId();
    for (const std::string& name : platform::OwnFolders(tempDir)) {
        const std::optional<std::uint64_t> process = PlacemarkFolderProcess(name);
        if (process && *process != self && !platform::ProcessRunning(*process))
            platform::RemoveFolderTree(tempDir + name);
    }
}

PlacemarkFolder::PlacemarkFolder(const std::string& tempDir)
{
    RemoveStalePlacemarkFolders(tempDir);
    // The process id keeps the name apart from every running instance; the
    // random suffix from a name someone else took first.
    const std::string base =
        tempDir + std::string(PlacemarkFolderPrefix) + std::to_string(platform::CurrentProcessId()) + "-";
    std::random_device seed;
    std::mt19937 random(seed());
    const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string path;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = base;
        for (int i = 0; i < 8; ++i) path += digits[random() % (sizeof digits - 1)];
        if (platform::CreatePrivateFolder(path)) {
            path_ = path + platform::PathSeparator;
            return;
        }
    }
    ThrowCannotCreate(path, platform::ErrorText(platform::LastError()));  // the name taken every time
}

PlacemarkFolder::~PlacemarkFolder()
{
    platform::RemoveFolderTree(path_.substr(0, path_.size() - 1));
}

}  // namespace ql
