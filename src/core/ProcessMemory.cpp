#include "ProcessMemory.h"

#include <cstdlib> // says which C library this is

#ifdef __GLIBC__
#include <malloc.h>
#endif

void ProcessMemory::shareOnePool()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

void ProcessMemory::releaseFreed()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
