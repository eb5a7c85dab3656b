#include "base/user_error.h"

namespace ql {

void ThrowIndexError(long long index)
{
    throw UserError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
}

void ThrowNotAFloat(std::string_view text)
{
    throw UserError("'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
}

void ThrowCannotOpen(const std::string& path, const std::string& osText)
{
    throw UserError("Datei " + path + " kann nicht geöffnet werden. " + osText);
}

void ThrowCannotCreate(const std::string& path, const std::string& osText)
{
    throw UserError("Datei \"" + path + "\" kann nicht erstellt werden. " + osText);
}

}  // namespace ql
