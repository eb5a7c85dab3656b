#pragma once
// The loaded query: one buffer holding the decoded file, and the lines as views
// into it. Every line access is index-checked. The line table costs four bytes
// a line; the limits in base/query_limits.h keep it bounded by the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ql {

class QueryText {
public:
    QueryText() = default;

    // Takes the file's bytes, skips a leading UTF-8 byte-order mark and splits at
    // CR LF, LF or CR (one break each; a break at the very end adds no line).
    // A text beyond MaxQueryBytes or MaxQueryLines throws the limit's message.
    static QueryText FromBytes(std::string bytes);

    std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    bool empty() const { return size() == 0; }

    // Line i; an index at or beyond the end throws
    // "Listenindex überschreitet das Maximum (i)".
    std::string_view at(std::size_t i) const
    {
        if (i >= size()) [[unlikely]]
            ThrowIndexError(static_cast<long long>(i));
        const std::size_t begin = starts_[i];
        const std::size_t end = i + 1 == size() ? lastEnd_ : starts_[i + 1] - BreakLengthBefore(buffer_.data(), starts_[i + 1]);
        return {buffer_.data() + begin, end - begin};
    }

    // Bytes of the decoded text.
    std::size_t textBytes() const { return buffer_.size(); }

    // Bytes held (buffer and line table), for the memory figures of the benchmark.
    std::size_t memoryBytes() const;

    QueryText(QueryText&&) noexcept = default;
    QueryText& operator=(QueryText&&) noexcept = default;
    QueryText(const QueryText&) = delete;
    QueryText& operator=(const QueryText&) = delete;

private:
    // 1 for a CR or LF break that ends at `next`, 2 for a CR LF pair.
    static std::size_t BreakLengthBefore(const char* data, std::size_t next)
    {
        return data[next - 1] == '\n' && next >= 2 && data[next - 2] == '\r' ? 2 : 1;
    }
    [[noreturn]] static void ThrowIndexError(long long index);

    std::string buffer_;                // the decoded file, byte-order mark included
    std::vector<std::uint32_t> starts_; // offset of each line, then where the next would start
    std::size_t lastEnd_ = 0;           // end of the last line (before a final break)
};

}  // namespace ql
