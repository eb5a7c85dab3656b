#pragma once
// The message of the error an action throws, or "no error" when it throws none.

#include <functional>
#include <string>

#include "base/user_error.h"

namespace ql::test {

inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const UserError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace ql::test
