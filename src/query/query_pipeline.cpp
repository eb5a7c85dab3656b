#include "query/query_pipeline.h"

#include "base/ascii.h"
#include "base/cancel.h"
#include "base/query_limits.h"
#include "base/user_error.h"
#include "base/utf8.h"
#include "platform/platform.h"

namespace ql {

bool HasZipExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    return AsciiLower(path.substr(dot)) == ".zip";
}

platform::LargeBuffer ReadQueryBytes(const std::string& path, ExtractProgress& progress)
{
    if (HasZipExtension(path)) return ExtractFirstGpx(path, progress);
    // A file beyond the limit is refused before it is read.
    if (const auto file = platform::OpenReadOnly(path); file && file->Size() > MaxQueryBytes)
        ThrowQueryTooLarge(file->Size());
    // Mapped where the system allows: the text is the file cache itself, no copy.
    return platform::MapWholeFile(path);
}

QueryText OpenQuery(const std::string& path, ExtractProgress& progress)
{
    return QueryText::FromBuffer(ReadQueryBytes(path, progress));
}

namespace {
// Passes the reader's progress on, and stops the reading where asked to.
class StoppableProgress : public ExtractProgress {
public:
    StoppableProgress(ExtractProgress& sink, const CancelToken* cancel) : sink_(sink), cancel_(cancel) {}
    void OnFileProgress(double percent) override
    {
        ThrowIfCancelled(cancel_);
        sink_.OnFileProgress(percent);
    }
    void OnOverallProgress(double percent) override
    {
        ThrowIfCancelled(cancel_);
        sink_.OnOverallProgress(percent);
    }

private:
    ExtractProgress& sink_;
    const CancelToken* cancel_;
};
}  // namespace

QueryText OpenQuery(const std::string& path, ExtractProgress& progress, const CancelToken* cancel)
{
    StoppableProgress stoppable(progress, cancel);
    platform::LargeBuffer bytes = ReadQueryBytes(path, stoppable);
    ThrowIfCancelled(cancel);
    QueryText lines = QueryText::FromBuffer(std::move(bytes));
    ThrowIfCancelled(cancel);
    return lines;
}

QueryText OpenQuery(const std::string& path)
{
    NoExtractProgress progress;
    return OpenQuery(path, progress);
}

namespace {
void RemoveAll(std::string& text, std::string_view what)
{
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos)) text.erase(pos, what.size());
}
}  // namespace

std::optional<std::string> IsMyFindsQuery(const QueryText& lines)
{
    if (lines.At(2).find("My Finds Pocket Query") == std::string_view::npos) return std::nullopt;
    // The label shows the date; a damaged line of megabytes shows its start.
    std::string date = ShortenedText(lines.At(6));
    RemoveAll(date, "</time>");
    RemoveAll(date, "<time>");
    std::string shown;
    shown.reserve(date.size() + 8);
    for (char c : date) {
        if (c == 'T') shown += " - ";
        else shown += c;
    }
    return shown;
}

bool EndsWithClosingLine(const QueryText& lines)
{
    // From the end: a complete query finds its closing line at once.
    for (std::size_t i = lines.Size(); i-- > 0;)
        if (lines.At(i).find("</gpx>") != std::string_view::npos) return true;
    return false;
}

std::string IncompleteQueryText(const std::string& path, std::size_t finds)
{
    return "Die Datei \"" + path + "\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. " +
           (finds == 1 ? std::string("Es wurde 1 Fund gelesen.")
                       : "Es wurden " + std::to_string(finds) + " Funde gelesen.");
}

}  // namespace ql
