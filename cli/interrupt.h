#pragma once
// Ctrl+C (SIGINT) and SIGTERM ask the running command to stop between two
// chunks; the file then stays as it was. A second signal ends the tool at
// once, which is safe too: the file is at every moment wholly old or new.

namespace quarnix::cli {

// Installs the handlers, without SA_RESTART, so that a blocking read of a
// password returns at the signal.
void InstallInterruptHandlers();

// True once a signal arrived.
bool InterruptRequested();

}  // namespace quarnix::cli
