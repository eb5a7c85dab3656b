#include "planner/candidate_set.h"

#include <exception>
#include <memory>

#include "archive/extract.h"
#include "archive/zip_mask.h"
#include "archive/zip_reader.h"
#include "base/query_limits.h"
#include "base/task_beside.h"
#include "base/user_error.h"
#include "query/query_pipeline.h"
#include "planner/candidate_reader.h"
#include "platform/platform.h"

namespace ql {

namespace {

class NoProgress : public ExtractProgress {
public:
    void OnFileProgress(double) override {}
    void OnOverallProgress(double) override {}
};

[[noreturn]] void ThrowFileTooLarge(const std::string& path, std::uint64_t bytes)
{
    throw UserError("Die Suchliste \"" + path + "\" ist zu groß: " + GroupedNumber(bytes) + " Bytes, höchstens " +
                    GroupedNumber(MaxCandidateFileBytes) + " Bytes sind möglich.");
}

CandidateFileRead ReadCaught(const std::string& path, const CancelToken* cancel)
{
    CandidateFileRead result;
    result.Path = path;
    try {
        result.Caches = ReadCandidateFile(path, cancel);
    } catch (const UserError& e) {
        result.Error = e.what();
    } catch (const std::bad_alloc&) {
        result.Error = "Die Suchliste \"" + path + "\" passt nicht in den Speicher.";
    }
    return result;
}

}  // namespace

std::vector<Candidate> ReadCandidateFile(const std::string& path, const CancelToken* cancel)
{
    if (HasZipExtension(path)) {
        // Every GPX at the archive's top level: a pocket query's archive holds
        // the caches and, often first, their additional waypoints.
        zip::ZipReader archive;
        archive.Open(path);
        std::vector<std::string> names;
        for (const zip::ZipEntry& entry : archive.Entries()) {
            if (!zip::MatchesMask(entry.Name, "*.gpx")) continue;
            if (entry.UncompressedSize > MaxCandidateFileBytes) ThrowFileTooLarge(path, entry.UncompressedSize);
            names.push_back(entry.Name);
        }
        if (names.empty()) throw UserError("Das Archiv \"" + path + "\" enthält keine GPX-Datei.");
        std::vector<Candidate> caches;
        NoProgress progress;
        for (const std::string& name : names) {
            platform::LargeBuffer gpx;
            archive.ExtractToStream(name, gpx, progress);
            ThrowIfCancelled(cancel);
            std::vector<Candidate> more = ReadCandidateGpx(gpx.View(), path, cancel);
            caches.insert(caches.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
        return caches;
    }
    std::unique_ptr<platform::ReadOnlyFile> file = platform::OpenReadOnly(path);
    if (!file) {
        platform::RequireRegularFile(path);  // says why, in the system's words
        throw UserError("Die Suchliste \"" + path + "\" ist nicht vorhanden.");
    }
    const std::uint64_t size = file->Size();
    if (size > MaxCandidateFileBytes) ThrowFileTooLarge(path, size);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        ThrowIfCancelled(cancel);
        const std::size_t got = file->ReadAt(done, bytes.data() + done, bytes.size() - done);
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return ReadCandidateGpx(bytes, path, cancel);
}

std::vector<CandidateFileRead> ReadCandidateFiles(const std::vector<std::string>& paths, const CancelToken* cancel)
{
    std::vector<CandidateFileRead> results(paths.size());
    const std::size_t wanted = std::min(paths.size(), MaxCandidateFiles);
    for (std::size_t i = wanted; i < paths.size(); ++i) {
        results[i].Path = paths[i];
        results[i].Refused = true;
    }
    // The files side by side on two threads: every other file on the second.
    TaskBeside other([&] {
        for (std::size_t i = 1; i < wanted; i += 2) {
            if (cancel && cancel->IsCancelled()) return;
            results[i] = ReadCaught(paths[i], cancel);
        }
    });
    for (std::size_t i = 0; i < wanted; i += 2) results[i] = ReadCaught(paths[i], cancel);
    other.Wait();
    ThrowIfCancelled(cancel);
    return results;
}

CandidateLoad CandidateSet::AddFiles(const std::vector<std::string>& paths, const CodeSet& found)
{
    return AddRead(ReadCandidateFiles(paths), found);
}

CandidateLoad CandidateSet::AddRead(std::vector<CandidateFileRead> read, const CodeSet& found)
{
    CandidateLoad load;
    std::vector<std::string> refused;
    // Every file asked for takes its place, read or not, as when it was asked for.
    const std::size_t before = files_.size();
    std::size_t taken = 0;
    for (CandidateFileRead& file : read) {
        if (file.Refused || before + taken >= MaxCandidateFiles) {
            refused.push_back("Die Suchliste \"" + file.Path + "\" wurde nicht geladen: Höchstens " +
                              std::to_string(MaxCandidateFiles) + " Suchlisten sind möglich.");
            continue;
        }
        ++taken;
        if (!file.Error.empty()) {
            load.Errors.push_back(std::move(file.Error));
            continue;
        }
        const CandidateLoad one = AddCaches(std::move(file.Caches), file.Path, found);
        load.Added += one.Added;
        load.Duplicates += one.Duplicates;
        load.AlreadyFound += one.AlreadyFound;
        load.Errors.insert(load.Errors.end(), one.Errors.begin(), one.Errors.end());
    }
    load.Errors.insert(load.Errors.end(), refused.begin(), refused.end());  // the refused paths came last
    return load;
}

CandidateLoad CandidateSet::AddCaches(std::vector<Candidate> caches, const std::string& fileName, const CodeSet& found)
{
    CandidateLoad load;
    std::vector<Candidate*> fresh;
    CodeSet inFile;
    for (Candidate& c : caches) {
        if (found.count(c.Code)) {
            ++load.AlreadyFound;
        } else if (codes_.count(c.Code) || !inFile.insert(c.Code).second) {
            ++load.Duplicates;
        } else {
            fresh.push_back(&c);
        }
    }
    if (caches_.size() + fresh.size() > MaxCandidates) {
        load = {};
        load.Errors.push_back("Die Suchliste \"" + fileName + "\" wurde nicht geladen: Zusammen wären es " +
                              GroupedNumber(caches_.size() + fresh.size()) + " Caches, höchstens " +
                              GroupedNumber(MaxCandidates) + " sind möglich.");
        return load;
    }
    caches_.reserve(caches_.size() + fresh.size());
    for (Candidate* c : fresh) {
        codes_.insert(c->Code);
        caches_.push_back(std::move(*c));
    }
    load.Added = fresh.size();
    files_.push_back(fileName);
    return load;
}

std::size_t CandidateSet::DropFound(const CodeSet& found)
{
    const std::size_t before = caches_.size();
    std::erase_if(caches_, [&](const Candidate& c) {
        if (!found.count(c.Code)) return false;
        codes_.erase(c.Code);
        return true;
    });
    return before - caches_.size();
}

void CandidateSet::Clear()
{
    caches_.clear();
    files_.clear();
    codes_.clear();
}

}  // namespace ql
