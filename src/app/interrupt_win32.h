#pragma once

#include <windows.h>

namespace sc {

// Set once Ctrl-C, Ctrl-Break or the console's close has arrived: a wait that
// includes it ends with the event.
HANDLE interrupt_event();

}  // namespace sc
