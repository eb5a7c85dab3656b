#include "planner/candidate_file.h"

#include <algorithm>
#include <memory>

#include "archive/extract.h"
#include "archive/zip_mask.h"
#include "archive/zip_reader.h"
#include "base/query_limits.h"
#include "base/user_error.h"
#include "planner/candidate_reader.h"
#include "platform/platform.h"
#include "query/query_pipeline.h"

namespace ql {

TextAllowance::Hold::Hold(TextAllowance& allowance, std::uint64_t bytes)
        : allowance_(allowance), bytes_(std::min(bytes, allowance.whole_))
{
    std::unique_lock lock(allowance_.mutex_);
    allowance_.freed_.wait(lock, [&] { return allowance_.free_ >= bytes_; });
    allowance_.free_ -= bytes_;
}

TextAllowance::Hold::~Hold()
{
    {
        const std::lock_guard lock(allowance_.mutex_);
        allowance_.free_ += bytes_;
    }
    allowance_.freed_.notify_all();
}

namespace {

[[noreturn]] void ThrowFileTooLarge(const std::string& path, std::uint64_t bytes)
{
    throw UserError("Die Suchliste \"" + path + "\" ist zu groß: " + GroupedNumber(bytes) + " Bytes, höchstens " +
                    GroupedNumber(MaxCandidateFileBytes) + " Bytes sind möglich.");
}

// The archive's own messages do not say which list they are about.
[[noreturn]] void ThrowUnreadableArchive(const std::string& path, const UserError& e)
{
    std::string message = "Die Suchliste \"" + path + "\" kann nicht gelesen werden: " + e.what();
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    throw UserError(message);
}

// Keeps each cache once and leaves out the found, counting both; says stop
// once the file holds more caches than the lists may.
class FileCaches {
public:
    FileCaches(const std::string& path, const CodeSet& found, const CancelToken* cancel)
            : path_(path), found_(found), cancel_(cancel)
    {
    }

    const CancelToken* Cancel() const { return cancel_; }

    void Read(std::string_view bytes)
    {
        ThrowIfCancelled(cancel_);
        file_.WithoutCoordinates +=
            ReadCandidateGpx(bytes, path_, [this](Candidate&& c) { return Take(std::move(c)); });
        ThrowIfCancelled(cancel_);
        if (full_)
            throw UserError("Die Suchliste \"" + path_ + "\" wurde nicht geladen: Zusammen wären es mehr als " +
                            GroupedNumber(MaxCandidates) + " Caches, höchstens " + GroupedNumber(MaxCandidates) +
                            " sind möglich.");
    }

    CandidateFile Result() { return std::move(file_); }

private:
    bool Take(Candidate&& c)
    {
        if (cancel_ && cancel_->IsCancelled()) return false;  // Read throws it
        if (found_.count(c.Code)) {
            ++file_.AlreadyFound;
        } else if (!seen_.insert(c.Code).second) {
            ++file_.Duplicates;
        } else if (file_.Caches.size() == MaxCandidates) {
            full_ = true;
            return false;
        } else {
            file_.Caches.push_back(std::move(c));
        }
        return true;
    }

    const std::string& path_;
    const CodeSet& found_;
    const CancelToken* cancel_;
    CodeSet seen_;
    CandidateFile file_;
    bool full_ = false;
};

std::unique_ptr<platform::ReadOnlyFile> OpenList(const std::string& path)
{
    std::unique_ptr<platform::ReadOnlyFile> file = platform::OpenReadOnly(path);
    if (!file) {
        platform::RequireRegularFile(path);  // says why, in the system's words
        throw UserError("Die Suchliste \"" + path + "\" ist nicht vorhanden.");
    }
    return file;
}

// Every GPX at the archive's top level, each read by its place in the
// directory: a pocket query's archive holds the caches and, often first,
// their additional waypoints.
void ReadArchive(const std::string& path, FileCaches& caches, TextAllowance& allowance)
{
    std::unique_ptr<platform::ReadOnlyFile> file = OpenList(path);
    zip::ZipReader archive;
    try {
        archive.Open(std::move(file));
    } catch (const UserError& e) {
        ThrowUnreadableArchive(path, e);
    }
    std::vector<std::size_t> gpx;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < archive.Entries().size(); ++i) {
        const zip::ZipEntry& entry = archive.Entries()[i];
        if (!zip::MatchesMask(entry.Name, "*.gpx")) continue;
        if (entry.UncompressedSize > MaxCandidateFileBytes) ThrowFileTooLarge(path, entry.UncompressedSize);
        total += entry.UncompressedSize;  // each at most the limit: no overflow
        gpx.push_back(i);
    }
    if (total > MaxCandidateFileBytes) ThrowFileTooLarge(path, total);
    if (gpx.empty()) throw UserError("Das Archiv \"" + path + "\" enthält keine GPX-Datei.");
    NoExtractProgress progress;
    zip::KeepEverything keep;
    for (const std::size_t i : gpx) {
        ThrowIfCancelled(caches.Cancel());
        const TextAllowance::Hold hold(allowance, archive.Entries()[i].UncompressedSize);
        platform::LargeBuffer text;
        try {
            archive.ExtractEntry(i, text, progress, keep);
        } catch (const UserError& e) {
            ThrowUnreadableArchive(path, e);
        }
        caches.Read(text.View());
    }
}

void ReadPlain(const std::string& path, FileCaches& caches, TextAllowance& allowance)
{
    const std::unique_ptr<platform::ReadOnlyFile> file = OpenList(path);
    const std::uint64_t size = file->Size();
    if (size > MaxCandidateFileBytes) ThrowFileTooLarge(path, size);
    const TextAllowance::Hold hold(allowance, size);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        ThrowIfCancelled(caches.Cancel());
        const std::size_t got = file->ReadAt(done, bytes.data() + done, bytes.size() - done);
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    caches.Read(bytes);
}

}  // namespace

CandidateFile ReadCandidateFile(const std::string& path, const CodeSet& found, TextAllowance& allowance,
                                const CancelToken* cancel)
{
    FileCaches caches(path, found, cancel);
    if (HasZipExtension(path)) ReadArchive(path, caches, allowance);
    else ReadPlain(path, caches, allowance);
    return caches.Result();
}

CandidateFile ReadCandidateFile(const std::string& path)
{
    TextAllowance alone(MaxCandidateFileBytes);
    return ReadCandidateFile(path, {}, alone);
}

}  // namespace ql
