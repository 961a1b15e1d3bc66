#pragma once

// Gives the system back the pages of memory freed so far. The C library keeps what each thread
// frees for that thread's next use: without this, a tray that read a month of logs at its start
// would hold their pages for as long as it runs.
namespace FreedMemory {

void release();

} // namespace FreedMemory
