// Hints for the JSON minifier's hot paths: VELMORA_FORCE_INLINE for the
// helpers whose state must stay in registers, which only holds when they are
// inlined, and VELMORA_UNLIKELY for the branches taken once per block or per
// unusual token, so that the compiler keeps registers for the common path.
#pragma once

#if defined(__GNUC__)
#define VELMORA_FORCE_INLINE inline __attribute__((always_inline))
#define VELMORA_UNLIKELY(condition) __builtin_expect(static_cast<bool>(condition), 0)
#elif defined(_MSC_VER)
#define VELMORA_FORCE_INLINE __forceinline
#define VELMORA_UNLIKELY(condition) (condition)
#else
#define VELMORA_FORCE_INLINE inline
#define VELMORA_UNLIKELY(condition) (condition)
#endif
