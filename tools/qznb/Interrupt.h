#pragma once

namespace qznb {

// SIGINT/SIGTERM only raise a flag; the work loops poll it between blocks and files.
void installSignalHandlers();
bool interrupted();
// Exit status for an interrupted run: 128 + the signal number.
int interruptStatus();

} // namespace qznb
