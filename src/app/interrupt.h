#pragma once

#include <csignal>

#include "textio/stop_flag.h"

namespace sc {

// Ctrl-C, kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) end a run only
// where it can stop cleanly: the handler notes the signal, and the file side
// of the run asks for it between steps and when a wait is broken off. On
// Windows the console's Ctrl-C, Ctrl-Break and close events stand for SIGINT,
// SIGBREAK and SIGHUP.

// A signal asked the run to stop; the run ends with status 128 + signal.
struct Interrupted {
  int signal;
};

// Installs the handler for the three signals. A blocking read or lock wait
// then returns early (EINTR) when one of them arrives.
void catch_interrupts();

// Throws Interrupted when one of the signals has arrived.
void stop_if_interrupted();

// The signal that asked the run to stop; 0 while none has.
int arrived_signal();

// Set once one of the signals has arrived: the work of a command looks at it
// between its steps and ends with WorkStopped, which stands for Interrupted.
StopFlag interrupt_flag();

// Holds the three signals back while it lives; one that arrives meanwhile is
// delivered when it ends.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

#ifndef _WIN32
 private:
  sigset_t previous_;
#endif
};

}  // namespace sc
