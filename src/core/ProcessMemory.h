#pragma once

// How the program's threads take memory from the C library and give it back.
namespace ProcessMemory {

// One pool of memory for every thread. The C library gives each thread that allocates a pool of
// its own, a few hundred KiB each that the tray keeps for as long as it runs; its threads seldom
// allocate at once, and a first reading of the logs goes as fast either way. Call before any
// thread starts.
void shareOnePool();

// Gives the system back the pages freed so far. The C library keeps what each thread frees for
// its next use: without this, a tray that read a month of logs at its start would hold their
// pages for as long as it runs.
void releaseFreed();

} // namespace ProcessMemory
