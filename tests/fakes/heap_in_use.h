#pragma once
// Bytes the heap has handed out and not yet taken back, as the allocator itself counts
// them: for tests of how much memory something keeps, without any timing. Under
// AddressSanitizer its own allocator is asked, since it replaces malloc.

#include <QtGlobal>

#if defined(__SANITIZE_ADDRESS__)
#define PW_HEAP_FROM_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PW_HEAP_FROM_SANITIZER 1
#endif
#endif

#ifdef PW_HEAP_FROM_SANITIZER
#include <cstddef>
// From the sanitizer runtime; GCC ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace pw::test {

inline qint64 heap_in_use()
{
#ifdef PW_HEAP_FROM_SANITIZER
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
#endif
}

}  // namespace pw::test
