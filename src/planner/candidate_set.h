#pragma once
// The caches a player still has to find, gathered from one or more candidate
// files: each cache once, those already found left out.

#include <cstddef>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "planner/candidate.h"
#include "planner/found_codes.h"

namespace ql {

// How many files and caches the lists may hold together.
inline constexpr std::size_t MaxCandidateFiles = 200;
inline constexpr std::size_t MaxCandidates = 200'000;

// What one load did: the caches added, those left out, and one German
// message per file that could not be read (the other files are read all the same).
struct CandidateLoad {
    std::size_t Added = 0;
    std::size_t Duplicates = 0;  // already in the lists from this or an earlier file
    std::size_t AlreadyFound = 0;  // in the My Finds query
    std::vector<std::string> Errors;
};

// One candidate file as read: its caches, or why it could not be read.
struct CandidateFileRead {
    std::string Path;
    std::vector<Candidate> Caches;
    std::string Error;  // empty when read
    bool Refused = false;  // beyond the number of lists; not read at all
};

// Reads the files side by side (on two threads), each whole or with the
// message of its failure; the paths beyond MaxCandidateFiles are refused
// unread. Touches no list, so it may run beside the window; the token is
// looked at between blocks (Cancelled).
std::vector<CandidateFileRead> ReadCandidateFiles(const std::vector<std::string>& paths,
                                                  const CancelToken* cancel = nullptr);

class CandidateSet {
public:
    // Reads the files (GPX, or ZIP holding the GPX) side by side and adds
    // their caches. A file is added whole or not at all.
    CandidateLoad AddFiles(const std::vector<std::string>& paths, const CodeSet& found);

    // Adds files read by ReadCandidateFiles, in their order.
    CandidateLoad AddRead(std::vector<CandidateFileRead> read, const CodeSet& found);

    // Adds the caches of one file already read (fileName as the user chose it).
    CandidateLoad AddCaches(std::vector<Candidate> caches, const std::string& fileName, const CodeSet& found);

    // Leaves out the caches found since (a My Finds query opened later).
    std::size_t DropFound(const CodeSet& found);

    void Clear();

    const std::vector<Candidate>& Caches() const { return caches_; }
    const std::vector<std::string>& Files() const { return files_; }

private:
    std::vector<Candidate> caches_;
    std::vector<std::string> files_;
    CodeSet codes_;
};

// The caches of one candidate file on disk: a ".zip" gives the first GPX in
// it, anything else is read as GPX. Throws the German message of the failure.
std::vector<Candidate> ReadCandidateFile(const std::string& path, const CancelToken* cancel = nullptr);

}  // namespace ql
