#include "FreedMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void FreedMemory::release()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
