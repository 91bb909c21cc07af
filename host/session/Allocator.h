#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace host {

// Blocks of 128 KiB and more are mapped apart and go back to the system when freed. glibc
// otherwise raises that bound to the largest block freed so far, so the arrays a drawing
// outgrows as it grows stay with the program beside their larger copies.
inline void returnLargeBlocks()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

} // namespace host
