#pragma once
// Takes the first top-level GPX entry out of a pocket-query ZIP archive.

#include <string>

#include "platform/platform.h"

namespace ql {

// Receives the reader's progress, in percent; the window repaints there.
class ExtractProgress {
public:
    virtual ~ExtractProgress() = default;
    virtual void OnFileProgress(double percent) = 0;
    virtual void OnOverallProgress(double percent) = 0;
};

// Progress nobody watches.
class NoExtractProgress : public ExtractProgress {
public:
    void OnFileProgress(double) override {}
    void OnOverallProgress(double) override {}
};

// The decoded bytes of the first top-level entry matching "*.gpx", in a buffer
// sized by the entry's declared size. The archive is only read. Throws UserError with the reader's message on any failure.
// An entry whose text, each stray byte read as U+FFFD, would pass
// MaxQueryBytes is refused here with that size once it is checked whole; its
// bytes are not kept for that (a wrong guess costs a second decoding).
platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress);

}  // namespace ql
