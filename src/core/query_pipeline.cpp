#include "core/query_pipeline.h"

#include "platform/platform.h"

namespace ql {

bool HasZipExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext(path.substr(dot));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".zip";
}

QueryText LoadQueryFile(const std::string& path)
{
    return QueryText::FromBuffer(platform::ReadWholeFileLarge(path));
}

namespace {
void RemoveAll(std::string& text, std::string_view what)
{
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos))
        text.erase(pos, what.size());
}
}  // namespace

bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate)
{
    if (lines.at(2).find("My Finds Pocket Query") == std::string_view::npos) return false;
    std::string date(lines.at(6));
    RemoveAll(date, "</time>");
    RemoveAll(date, "<time>");
    std::string shown;
    shown.reserve(date.size() + 8);
    for (char c : date) {
        if (c == 'T') shown += " - ";
        else shown += c;
    }
    queryDate = std::move(shown);
    return true;
}

}  // namespace ql
