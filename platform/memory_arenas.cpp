#include "platform/memory_arenas.h"

#include <malloc.h>

namespace tandemo {

void limitAllocatorArenas()
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 2);
#endif
}

} // namespace tandemo
