#pragma once
// The one error type of the program: it carries the exact text the user reads.
// Every failing operation throws it; the window layer catches it in one place
// and shows it in the general error box.

#include <stdexcept>
#include <string>

namespace ql {

class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};

// "Listenindex überschreitet das Maximum (%d)"
[[noreturn]] void ThrowIndexError(long long index);

// "'%s' ist kein gültiger Gleitkommawert"
[[noreturn]] void ThrowNotAFloat(std::string_view text);

// "Datei %s kann nicht geöffnet werden. %s"
[[noreturn]] void ThrowCannotOpen(const std::string& path, const std::string& osText);

// "Datei "%s" kann nicht erstellt werden. %s"
[[noreturn]] void ThrowCannotCreate(const std::string& path, const std::string& osText);

}  // namespace ql
