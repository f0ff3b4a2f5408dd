// Requests to stop (a terminal's Ctrl+C, a polite kill) caught so that a
// long job can finish what it has, and failed writes reported as failed
// writes rather than by ending the process. A platform without signals
// catches nothing: interruptRequested() stays false.
#pragma once

// Writes to a closed pipe or past a file-size limit fail with an error
// instead of ending the process.
void reportFailedWritesAsErrors();
// From now on Ctrl+C and termination requests set interruptRequested().
void catchInterrupts();
bool interruptRequested();
// A helper thread leaves the requests to the thread that asks for them.
void leaveInterruptsToOtherThreads();
