#pragma once
// The placemark files of one scan, written on a thread of their own so that
// creating the files does not hold up the scan. The files are written in the
// order the scan hands them in, and the scan waits for all of them before its
// results are shown. A file of the previous scan under a name this scan uses
// again is written over (a file system makes that far quicker than a file
// deleted and made anew); the previous scan's other files are deleted at the
// end. A failed write leaves the results exactly as a scan that wrote each
// file in turn would have left them, and throws the same error.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/placemark.h"
#include "core/records.h"

namespace ql {

struct AppState;

// The file-writing thread: jobs in order; after the first failure no later
// job runs. Knows nothing of the scan.
class FileWriterThread {
public:
    FileWriterThread();
    ~FileWriterThread();  // waits for the queued jobs
    FileWriterThread(const FileWriterThread&) = delete;
    FileWriterThread& operator=(const FileWriterThread&) = delete;

    // Writes a whole file (platform::WriteWholeFile).
    void Write(std::string path, std::string bytes);
    // Waits for every job; rethrows the first failure. Returns the number of
    // files written.
    std::size_t Finish();
    // Files written, after Finish: before a failure, the index of the failed one.
    std::size_t WritesDone() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The placemark files of one scan over an AppState.
class PlacemarkWriter {
public:
    // Takes over the previous scan's files and empties the list. With
    // `later`, no file is written or deleted: each file's text goes to
    // PlacemarkTexts beside its name, for PlacemarkFilesBeside.
    explicit PlacemarkWriter(AppState& state, bool later = false);
    ~PlacemarkWriter() = default;  // the thread waits for its jobs
    PlacemarkWriter(const PlacemarkWriter&) = delete;
    PlacemarkWriter& operator=(const PlacemarkWriter&) = delete;

    // Queues the file of the last row, a find outside every district, whose
    // record is the last of NIPList, under a name no earlier file of the scan
    // has; lists that name in PlacemarkFiles. Beyond MaxPlacemarkFiles files
    // nothing is written and PlacemarkFilesCapped is set.
    void Write(std::string_view code, std::string_view name, std::string_view latitude, std::string_view longitude);

    // Waits for every file and deletes the previous scan's files the list no
    // longer names. When one failed: the rows, tally, count, records and file
    // list go back to how they stood when that file was due, and the write's
    // error is thrown.
    void Finish();

private:
    void DeleteStaleFiles();

    // The results as they stood when a file was due.
    struct Checkpoint {
        std::size_t Rows;
        DistrictTallyArray Tally;
        int NotInPolygon;
        std::size_t NIPRecords;
        std::size_t Files;
    };

    AppState& state_;
    bool later_;
    std::vector<std::string> previous_;  // the previous scan's file names
    PlacemarkNames names_;  // each placemark its own file
    std::vector<Checkpoint> checkpoints_;
    FileWriterThread thread_;
};

}  // namespace ql
