#pragma once
// Where a deflate stream's compressed bytes come from, one read at a time.

#include <cstddef>

namespace ql::zip {

class DeflateInput {
public:
    virtual ~DeflateInput() = default;
    // The next read: up to `n` bytes into `to`. Fewer than `n` (none
    // included) ends the input; nothing is read after that.
    virtual std::size_t Read(unsigned char* to, std::size_t n) = 0;
};

}  // namespace ql::zip
