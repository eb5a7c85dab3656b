#pragma once
// Stopping long work from outside: the window (or a quit) asks, the engine's
// long steps look at block boundaries and give up with Cancelled. A step that
// gives up leaves what it was to replace as it was.

#include <atomic>
#include <exception>
#include <memory>

namespace ql {

// Thrown by a step that saw its token asked to stop. It is no UserError: the
// window shows no box for it.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// A plain flag shared between the one who asks and the work that looks.
class CancelToken {
public:
    void Cancel() noexcept { asked_.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const noexcept { return asked_.load(std::memory_order_relaxed); }
    // Throws Cancelled once the stop was asked for.
    void ThrowIfCancelled() const
    {
        if (IsCancelled()) throw Cancelled();
    }

private:
    std::atomic<bool> asked_{false};
};

// Work that may outlive its caller's frame holds its token shared.
using SharedCancel = std::shared_ptr<CancelToken>;

// For steps whose token is optional: a null pointer never cancels.
inline void ThrowIfCancelled(const CancelToken* token)
{
    if (token != nullptr) token->ThrowIfCancelled();
}

}  // namespace ql
