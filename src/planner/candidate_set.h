#pragma once
// The caches a player still has to find, gathered from one or more candidate
// files: each cache once, those already found left out.

#include <cstddef>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "planner/candidate.h"
#include "planner/candidate_file.h"
#include "planner/found_codes.h"

namespace ql {

// How many files the lists may come from (MaxCandidates: how many caches).
inline constexpr std::size_t MaxCandidateFiles = 200;

// What one load did: the caches added, those left out, and one German
// message per file that could not be read (the other files are read all the same).
struct CandidateLoad {
    std::size_t Added = 0;
    std::size_t Duplicates = 0;  // already in the lists from this or an earlier file
    std::size_t AlreadyFound = 0;  // in the My Finds query
    std::size_t WithoutCoordinates = 0;  // cache waypoints skipped for their coordinates
    std::vector<std::string> Errors;
};

class CandidateSet {
public:
    // Reads the files (GPX, or ZIP holding the GPX) side by side and adds
    // their caches, each file as soon as it and those before it are read. A
    // file is added whole or not at all.
    // A stop asked for through `cancel` throws Cancelled; the files joined
    // before it stay (read into a set of their own to keep a set as it was).
    CandidateLoad AddFiles(const std::vector<std::string>& paths, const CodeSet& found,
                           const CancelToken* cancel = nullptr);

    // Adds the lists of a set read elsewhere (beside the window), file by
    // file in their order, each cache once across both.
    CandidateLoad Absorb(CandidateSet&& read, const CodeSet& found);

    // Adds the caches of one file already read (fileName as the user chose it).
    CandidateLoad AddCaches(std::vector<Candidate> caches, const std::string& fileName, const CodeSet& found);

    // Leaves out the caches found since (a My Finds query opened later).
    std::size_t DropFound(const CodeSet& found);

    void Clear();

    const std::vector<Candidate>& Caches() const { return caches_; }
    const std::vector<std::string>& Files() const { return files_; }

private:
    CandidateLoad AddFile(CandidateFile file, const std::string& fileName, const CodeSet& found);

    std::vector<Candidate> caches_;
    std::vector<std::string> files_;
    CodeSet codes_;
};

}  // namespace ql
