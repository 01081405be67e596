#include "platform/memory_arenas.h"

#include <malloc.h>

namespace tandemo {

void tuneAllocatorForPictures()
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 2);
#endif
#ifdef M_MMAP_THRESHOLD
    // Setting it also stops the allocator from raising it each time such a block is freed.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
}

} // namespace tandemo
