#pragma once
// The one error type of the program: it carries the exact text the user reads.
// Every failing operation throws it; the window layer catches it in one place
// and shows it in the general error box.

#include <stdexcept>
#include <string>
#include <string_view>

namespace ql {

class UserError : public std::runtime_error {
public:
    // Texts from files and the system may hold control characters: a NUL shows
    // as "\0", a CR LF as a line break, any other control character but the
    // tab and the line break as "?".
    explicit UserError(const std::string& message) : std::runtime_error(Printable(message)) {}

    static std::string Printable(std::string_view text);
};

// A list read at an index it does not have; the index, for a caller that
// tells a read past the end of the query from other errors.
class IndexError : public UserError {
public:
    explicit IndexError(long long index);
    long long Index() const { return index_; }

private:
    long long index_;
};

// "Listenindex überschreitet das Maximum (%d)", as an IndexError.
[[noreturn]] void ThrowIndexError(long long index);

// "'%s' ist kein gültiger Gleitkommawert"
[[noreturn]] void ThrowNotAFloat(std::string_view text);

// "Datei %s kann nicht geöffnet werden. %s"
[[noreturn]] void ThrowCannotOpen(const std::string& path, const std::string& osText);

// "Datei %s kann nicht geöffnet werden. Das ist keine gewöhnliche Datei, sondern
// ein Ordner, ein Gerät, eine Pipe oder ein Socket."
[[noreturn]] void ThrowNotARegularFile(const std::string& path);

// "Der temporäre Ordner "%s" ist nicht vorhanden."
[[noreturn]] void ThrowTempDirMissing(const std::string& path);

// "Der temporäre Ordner "%s" ist nicht beschreibbar. %s"
[[noreturn]] void ThrowTempDirNotWritable(const std::string& path, const std::string& osText);

// "Datei "%s" kann nicht erstellt werden. %s"
[[noreturn]] void ThrowCannotCreate(const std::string& path, const std::string& osText);

// "Datei "%s" kann nicht erstellt werden. Das ist keine gewöhnliche Datei,
// sondern ein Ordner, ein Gerät, eine Pipe oder ein Socket."
[[noreturn]] void ThrowCannotCreateNotARegularFile(const std::string& path);

}  // namespace ql
