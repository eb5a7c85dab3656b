#include "scan/placemark_folder.h"

#include <charconv>
#include <random>

#include "base/user_error.h"

namespace ql {

namespace {

constexpr std::string_view SuffixLetters = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string WithoutSeparator(const std::string& folder)
{
    return folder.substr(0, folder.size() - 1);
}

}  // namespace

std::optional<std::uint64_t> PlacemarkFolderProcess(std::string_view name)
{
    if (!name.starts_with(PlacemarkFolderPrefix)) return std::nullopt;
    name.remove_prefix(PlacemarkFolderPrefix.size());
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (error != std::errc() || end == name.data() || end == name.data() + name.size() || *end != '-')
        return std::nullopt;
    const std::string_view suffix(end + 1, static_cast<std::size_t>(name.data() + name.size() - (end + 1)));
    if (suffix.size() != PlacemarkFolderSuffixLength ||
        suffix.find_first_not_of(SuffixLetters) != std::string_view::npos)
        return std::nullopt;
    return id;
}

void RemoveStalePlacemarkFolders(const std::string& tempDir)
{
    for (const std::string& name : platform::OwnFolders(tempDir)) {
        if (!PlacemarkFolderProcess(name)) continue;
        const std::string folder = tempDir + name;
        const std::string marker = folder + platform::PathSeparator + std::string(PlacemarkMarkerName);
        std::optional<platform::TakenLock> taken = platform::TryLockFile(marker, PlacemarkMarkerText.size() + 1);
        // No marker, or a lock held by a running instance, wherever it runs.
        if (!taken || taken->Bytes != PlacemarkMarkerText) continue;
        // The folder is dead: nobody makes it live again, as no instance
        // takes over a folder it did not make. The lock goes first (Windows
        // removes no folder with an open file in it).
        taken.reset();
        platform::RemoveFolderTree(folder);
    }
}

PlacemarkFolder::PlacemarkFolder(const std::string& tempDir) : tempDir_(tempDir)
{
    RemoveStalePlacemarkFolders(tempDir);
    Make();
}

bool PlacemarkFolder::MakeAt(const std::string& path)
{
    if (!platform::CreatePrivateFolder(path)) return false;
    // The marker is locked before it says whose the folder is; until then
    // the folder has no marker and nobody removes it.
    lock_ = platform::CreateLockedFile(path + platform::PathSeparator + std::string(PlacemarkMarkerName),
                                       PlacemarkMarkerText);
    if (!lock_) {
        platform::RemoveFolderTree(path);
        return false;
    }
    path_ = path + platform::PathSeparator;
    return true;
}

void PlacemarkFolder::Make()
{
    // The process id keeps the name apart from every running instance on this
    // system; the random suffix from a name someone else took first.
    const std::string base =
        tempDir_ + std::string(PlacemarkFolderPrefix) + std::to_string(platform::CurrentProcessId()) + "-";
    std::random_device seed;
    std::mt19937 random(seed());
    std::string path;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = base;
        for (std::size_t i = 0; i < PlacemarkFolderSuffixLength; ++i)
            path += SuffixLetters[random() % SuffixLetters.size()];
        if (MakeAt(path)) return;
    }
    ThrowCannotCreate(path, platform::ErrorText(platform::LastError()));  // the name taken every time
}

const std::string& PlacemarkFolder::Restore()
{
    const std::string path = WithoutSeparator(path_);
    if (platform::DirectoryExists(path)) return path_;
    lock_.reset();
    // The same name where it is free, so the page's links stay as they were.
    if (!MakeAt(path)) Make();
    return path_;
}

PlacemarkFolder::~PlacemarkFolder()
{
    lock_.reset();  // Windows removes no folder with an open file in it
    platform::RemoveFolderTree(WithoutSeparator(path_));
}

}  // namespace ql
