#pragma once

namespace qznb {

// SIGINT/SIGTERM only raise a flag; the work loops poll it between blocks and files.
void installSignalHandlers();
bool interrupted();
// Exit status for an interrupted run: 128 + the signal number.
int interruptStatus();

// The tool ends with the process that started it (SIGTERM when it goes, taken as an
// interrupt): after a kill of the program nothing goes on removing in the set-aside folders
// while the next launch sweeps them. False when that process is already gone: the pid the
// program hands over in NIMBREL_PARENT_PID is no longer our parent.
bool endWithParent();

} // namespace qznb
