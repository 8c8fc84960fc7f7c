// Whether the system has asked the program to stop: one flag, set by the
// program's own handling of the termination signals.
#pragma once

namespace cp {

// Set once the system has asked the program to stop (SIGTERM, SIGINT or
// SIGHUP): start-up shows no more messages, reaches for no more databases
// and does not enter the event loop.
bool terminationRequested();
void markTerminationRequested();

}  // namespace cp
