#include "scan/placemark_writer.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string_view>
#include <memory>
#include <optional>
#include <unordered_set>

#include "platform/task_beside.h"
#include "state/app_state.h"
#include "scan/placemark.h"
#include "platform/platform.h"

namespace ql {

struct FileWriterThread::State {
    struct Job {
        std::string Path;
        std::string Bytes;
    };

    std::mutex Mutex;
    std::condition_variable Ready;
    std::deque<Job> Jobs;
    bool Closing = false;
    // Touched by the worker only, read after it has been joined.
    std::exception_ptr Failure;
    std::size_t WritesDone = 0;
    // Started with the first job; without a thread it writes the jobs in Join.
    std::optional<TaskBeside> Worker;

    void Add(Job job)
    {
        {
            std::lock_guard lock(Mutex);
            Jobs.push_back(std::move(job));
        }
        Ready.notify_one();
        if (!Worker) Worker.emplace([this] { Run(); });
    }

    void Run()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(Mutex);
                Ready.wait(lock, [&] { return !Jobs.empty() || Closing; });
                if (Jobs.empty()) return;
                job = std::move(Jobs.front());
                Jobs.pop_front();
            }
            if (Failure) continue;  // nothing after the first failure
            try {
                platform::WriteWholeFile(job.Path, job.Bytes);
                ++WritesDone;
            } catch (...) {
                Failure = std::current_exception();
            }
        }
    }

    void Join()
    {
        {
            std::lock_guard lock(Mutex);
            Closing = true;
        }
        Ready.notify_one();
        if (Worker) Worker->Wait();
    }
};

FileWriterThread::FileWriterThread() : state_(std::make_unique<State>()) {}

FileWriterThread::~FileWriterThread()
{
    state_->Join();
}

void FileWriterThread::Write(std::string path, std::string bytes)
{
    state_->Add({std::move(path), std::move(bytes)});
}

std::size_t FileWriterThread::Finish()
{
    state_->Join();
    if (state_->Failure) std::rethrow_exception(state_->Failure);
    return state_->WritesDone;
}

std::size_t FileWriterThread::WritesDone() const
{
    return state_->WritesDone;
}

PlacemarkWriter::PlacemarkWriter(AppState& state, bool later)
        : state_(state), later_(later), previous_(later ? std::vector<std::string>() : std::move(state.PlacemarkFiles))
{
    state.PlacemarkFiles.clear();
    state.PlacemarkTexts.clear();
    state.PlacemarkFilesCapped = false;
}

void PlacemarkWriter::DeleteStaleFiles()
{
    const std::unordered_set<std::string_view> now(state_.PlacemarkFiles.begin(), state_.PlacemarkFiles.end());
    for (const std::string& fileName : previous_) {
        if (now.contains(fileName)) continue;
        // Letter case aside, the same file on Windows: written over, not stale.
        if (std::any_of(state_.PlacemarkFiles.begin(), state_.PlacemarkFiles.end(),
                        [&](const std::string& name) { return platform::SameFileName(fileName, name); }))
            continue;
        const std::string path = state_.TempDir + fileName;
        if (platform::FileExists(path)) platform::DeleteFileQuietly(path);
    }
    previous_.clear();
}

void PlacemarkWriter::Write(std::string_view code, std::string_view name, std::string_view latitude,
                            std::string_view longitude)
{
    if (state_.PlacemarkFiles.size() >= MaxPlacemarkFiles) {
        state_.PlacemarkFilesCapped = true;
        return;
    }
    std::string fileName = names_.Claim(code);
    if (later_) {
        state_.PlacemarkTexts.push_back(PlacemarkFileBytes(code, name, latitude, longitude));
        state_.PlacemarkFiles.push_back(std::move(fileName));
        return;
    }
    checkpoints_.push_back({state_.Rows.size(), state_.DistrictTally, state_.NotInPolygonCount, state_.NIPList.size(),
                            state_.PlacemarkFiles.size()});
    thread_.Write(state_.TempDir + fileName, PlacemarkFileBytes(code, name, latitude, longitude));
    state_.PlacemarkFiles.push_back(std::move(fileName));
}

void PlacemarkWriter::Finish()
{
    try {
        thread_.Finish();
    } catch (...) {
        // Back to the moment the failed file was due: its row has no district
        // or coordinate columns yet, and nothing after it exists.
        const Checkpoint& at = checkpoints_[thread_.WritesDone()];
        state_.Rows.resize(at.Rows);
        if (!state_.Rows.empty()) {
            CacheRow& row = state_.Rows.back();
            row.District.clear();
            row.LatText.clear();
            row.LonText.clear();
        }
        state_.DistrictTally = at.Tally;
        state_.NotInPolygonCount = at.NotInPolygon;
        state_.NIPList.resize(at.NIPRecords);
        state_.PlacemarkFiles.resize(at.Files);
        DeleteStaleFiles();
        throw;
    }
    DeleteStaleFiles();
}

}  // namespace ql
