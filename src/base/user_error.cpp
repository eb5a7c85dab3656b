#include "base/user_error.h"

#include "base/utf8.h"

namespace ql {

std::string UserError::Printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\0') out += "\\0";
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // the LF follows
        else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) out += '?';
        else out += static_cast<char>(c);
    }
    return out;
}

IndexError::IndexError(long long index)
        : UserError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")"), index_(index)
{
}

void ThrowIndexError(long long index)
{
    throw IndexError(index);
}

void ThrowNotAFloat(std::string_view text)
{
    // A text of megabytes would fill the box: its start is enough to find it.
    throw UserError("'" + ShortenedText(text) + "' ist kein gültiger Gleitkommawert");
}

void ThrowCannotOpen(const std::string& path, const std::string& osText)
{
    throw UserError("Datei " + path + " kann nicht geöffnet werden. " + osText);
}

namespace {

constexpr const char* NotARegularFile =
    "Das ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät, eine Pipe oder ein Socket.";

}  // namespace

void ThrowNotARegularFile(const std::string& path)
{
    ThrowCannotOpen(path, NotARegularFile);
}

void ThrowTempDirMissing(const std::string& path)
{
    throw UserError("Der temporäre Ordner \"" + path + "\" ist nicht vorhanden.");
}

void ThrowTempDirNotWritable(const std::string& path, const std::string& osText)
{
    throw UserError("Der temporäre Ordner \"" + path + "\" ist nicht beschreibbar. " + osText);
}

void ThrowCannotCreate(const std::string& path, const std::string& osText)
{
    throw UserError("Datei \"" + path + "\" kann nicht erstellt werden. " + osText);
}

void ThrowCannotCreateNotARegularFile(const std::string& path)
{
    ThrowCannotCreate(path, NotARegularFile);
}

}  // namespace ql
