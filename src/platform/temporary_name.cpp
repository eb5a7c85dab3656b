#include "platform/temporary_name.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "platform/platform.h"

namespace ql::platform {

namespace {

// One step of splitmix64: spreads a counter over all 64 bits.
std::uint64_t Mixed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::size_t NameStart(const std::string& path)
{
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("\\/");
#else
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string TemporaryPathBeside(const std::string& target)
{
    static std::atomic<std::uint64_t> counter{0};
    // The process, the moment and a counter: unique within the process, and
    // across processes unless two start in one tick with one id.
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t nonce = Mixed(Mixed(CurrentProcessId() ^ (now << 20)) + counter.fetch_add(1));

    const std::size_t start = NameStart(target);
    std::size_t length = std::min<std::size_t>(target.size() - start, 40);
    // Never inside a UTF-8 sequence: back to the start of the character cut.
    if (start + length < target.size())
        while (length > 0 && (static_cast<unsigned char>(target[start + length]) & 0xC0) == 0x80) --length;

    static constexpr char Hex[] = "0123456789abcdef";
    std::string name = target.substr(0, start) + "." + target.substr(start, length) + ".";
    for (int shift = 60; shift >= 0; shift -= 4) name += Hex[(nonce >> shift) & 0xF];
    return name + ".tmp";
}

}  // namespace ql::platform
