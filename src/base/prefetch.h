#pragma once
// Asking the memory for bytes that will be read soon, so that a walk over a
// large text does not wait for each line it jumps to. Only a hint: nothing is
// read, and an address outside any mapping is harmless.

#if defined(_MSC_VER) && !defined(__clang__) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

namespace ql {

inline void PrefetchForRead(const void* address)
{
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    // The instruction itself rather than __builtin_prefetch: GCC takes a
    // function that only gives hints for one without effects and drops every
    // call of it, hints included.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#elif defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, 0, 3);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

}  // namespace ql
