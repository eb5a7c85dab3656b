#include "planner/candidate_set.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>

#include "base/query_limits.h"
#include "platform/task_beside.h"
#include "base/user_error.h"
#include "planner/candidate_reader.h"

namespace ql {

namespace {

// One file read, or the message why it could not be.
struct FileResult {
    CandidateFile file;
    std::string error;
    bool ready = false;
};

FileResult ReadCaught(const std::string& path, const CodeSet& found, TextAllowance& allowance,
                      const CancelToken* cancel)
{
    FileResult result;
    try {
        result.file = ReadCandidateFile(path, found, allowance, cancel);
    } catch (const UserError& e) {
        result.error = e.what();
    } catch (const std::bad_alloc&) {
        result.error = "Die Suchliste \"" + path + "\" passt nicht in den Speicher.";
    } catch (const std::length_error&) {
        result.error = "Die Suchliste \"" + path + "\" passt nicht in den Speicher.";
    }
    result.ready = true;
    return result;
}

}  // namespace

CandidateLoad CandidateSet::AddFiles(const std::vector<std::string>& paths, const CodeSet& found,
                                     const CancelToken* cancel)
{
    CandidateLoad load;
    std::vector<std::string> wanted, refused;
    for (const std::string& path : paths) {
        if (files_.size() + wanted.size() >= MaxCandidateFiles) {
            refused.push_back("Die Suchliste \"" + path + "\" wurde nicht geladen: Höchstens " +
                              std::to_string(MaxCandidateFiles) + " Suchlisten sind möglich.");
            continue;
        }
        wanted.push_back(path);
    }

    // The files side by side on two threads. Each joins the set in the order
    // given as soon as it and those before it are read, and a thread begins
    // a file only while fewer than two are read and not joined: no more than
    // two files' caches wait beside the set, and the text the threads hold
    // together stays within one file's limit. A thread waits only for a file
    // the other one is reading, so where there is no second thread the
    // caller reads every file itself, one after the other.
    TextAllowance allowance(MaxCandidateFileBytes);
    std::vector<FileResult> results(wanted.size());
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t begun = 0, joined = 0;
    bool failed = false;
    const auto share = [&] {
        std::unique_lock lock(mutex);
        try {
            for (;;) {
                changed.wait(lock, [&] { return failed || begun == wanted.size() || begun - joined < 2; });
                if (failed || begun == wanted.size()) return;
                const std::size_t i = begun++;
                lock.unlock();
                FileResult read = ReadCaught(wanted[i], found, allowance, cancel);
                lock.lock();
                results[i] = std::move(read);
                for (; joined < wanted.size() && results[joined].ready; ++joined) {
                    FileResult done = std::move(results[joined]);  // its caches leave the slot
                    if (!done.error.empty()) {
                        load.Errors.push_back(std::move(done.error));
                        continue;
                    }
                    const CandidateLoad one = AddFile(std::move(done.file), wanted[joined], found);
                    load.Added += one.Added;
                    load.Duplicates += one.Duplicates;
                    load.AlreadyFound += one.AlreadyFound;
                    load.WithoutCoordinates += one.WithoutCoordinates;
                    load.Errors.insert(load.Errors.end(), one.Errors.begin(), one.Errors.end());
                }
                changed.notify_all();
            }
        } catch (...) {
            if (!lock.owns_lock()) lock.lock();
            failed = true;
            changed.notify_all();
            throw;
        }
    };
    {
        TaskBeside other(share);
        share();
        other.Wait();
    }
    load.Errors.insert(load.Errors.end(), refused.begin(), refused.end());  // the refused paths came last
    return load;
}

CandidateLoad CandidateSet::Absorb(CandidateSet&& read, const CodeSet& found)
{
    CandidateLoad load;
    // The caches of each file lie together, in the order of the files.
    std::size_t at = 0;
    for (const std::string& fileName : read.files_) {
        if (files_.size() >= MaxCandidateFiles) {
            load.Errors.push_back("Die Suchliste \"" + fileName + "\" wurde nicht geladen: Höchstens " +
                                  std::to_string(MaxCandidateFiles) + " Suchlisten sind möglich.");
            continue;
        }
        std::vector<Candidate> caches;
        while (at < read.caches_.size() && read.caches_[at].SourceFile == fileName)
            caches.push_back(std::move(read.caches_[at++]));
        const CandidateLoad one = AddCaches(std::move(caches), fileName, found);
        load.Added += one.Added;
        load.Duplicates += one.Duplicates;
        load.AlreadyFound += one.AlreadyFound;
        load.Errors.insert(load.Errors.end(), one.Errors.begin(), one.Errors.end());
    }
    read.Clear();
    return load;
}

CandidateLoad CandidateSet::AddFile(CandidateFile file, const std::string& fileName, const CodeSet& found)
{
    CandidateLoad load = AddCaches(std::move(file.Caches), fileName, found);
    if (!load.Errors.empty()) return load;
    load.Duplicates += file.Duplicates;
    load.AlreadyFound += file.AlreadyFound;
    load.WithoutCoordinates = file.WithoutCoordinates;
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
