// PLACEHOLDER: replaced by the real ZIP reader.
#include "archive/extract.h"
#include "core/user_error.h"
namespace ql {
std::string ExtractFirstGpx(const std::string&, ExtractProgress&)
{
    throw UserError("ZIP-Archive können noch nicht gelesen werden");
}
}  // namespace ql
