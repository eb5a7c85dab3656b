// Renaming a file over another on Windows.

#include <windows.h>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

void RenameReplacing(const std::string& from, const std::string& to)
{
    if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowCannotCreate(to, ErrorText(LastError()));
}

}  // namespace ql::platform
