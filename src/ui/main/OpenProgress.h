#pragma once
// The reading's progress as the step beside the window reports it; the window
// looks at it from a timer of its own.

#include <algorithm>
#include <atomic>

#include "archive/extract.h"

namespace ql::ui {

struct OpenProgress : ExtractProgress {
    std::atomic<bool> fileProgressSeen{false};
    std::atomic<int> overall{-1};  // whole percent; -1 before the first report

    void OnFileProgress(double) override { fileProgressSeen.store(true, std::memory_order_relaxed); }
    void OnOverallProgress(double percent) override
    {
        // Truncated to a whole percent.
        overall.store(std::clamp(static_cast<int>(percent), 0, 100), std::memory_order_relaxed);
    }
};

}  // namespace ql::ui
