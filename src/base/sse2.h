#pragma once
// Whether the processor has SSE2: GCC and Clang say so; MSVC has it on every
// x64 target. Code with an SSE2 path tests QL_SSE2 and keeps a plain loop
// beside it.

#if defined(__SSE2__) || defined(_M_X64)
#define QL_SSE2 1
#include <emmintrin.h>
#endif
