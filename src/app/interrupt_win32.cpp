// The console's control events on Windows. The system calls the handler on a
// thread of its own; it notes the event, wakes a wait on interrupt_event()
// and breaks off a read the main thread is blocked in, and the run then stops
// where it can stop cleanly, as on Linux.
#include "app/interrupt_win32.h"

#include <atomic>

#include "app/interrupt.h"

namespace sc {
namespace {

// The signal numbers a shell would report for the same request.
constexpr int kInterrupt = 2;  // SIGINT: Ctrl-C
constexpr int kBreak = 21;     // SIGBREAK: Ctrl-Break
constexpr int kHangUp = 1;     // SIGHUP: the console closed, the user logged off

std::atomic<int> g_arrived{0};
// How many InterruptsHeld live: while one does, no call is broken off.
std::atomic<int> g_held{0};
HANDLE g_event = nullptr;
HANDLE g_main_thread = nullptr;

int signal_of(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      return kInterrupt;
    case CTRL_BREAK_EVENT:
      return kBreak;
    default:
      return kHangUp;
  }
}

BOOL WINAPI note_control_event(DWORD event) {
  int none = 0;
  g_arrived.compare_exchange_strong(none, signal_of(event));
  SetEvent(g_event);
  if (g_held.load() == 0) CancelSynchronousIo(g_main_thread);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // The system ends the process once this returns from a close, logoff or
  // shutdown: the run has until then to remove its temporaries and exit.
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

HANDLE interrupt_event() {
  return g_event;
}

void catch_interrupts() {
  g_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_main_thread, 0,
                  FALSE, DUPLICATE_SAME_ACCESS);
  SetConsoleCtrlHandler(note_control_event, TRUE);
}

void stop_if_interrupted() {
  if (const int signal = g_arrived.load(); signal != 0) throw Interrupted{signal};
}

int arrived_signal() {
  return g_arrived.load();
}

StopFlag interrupt_flag() {
  return StopFlag(g_arrived);
}

// The handler only takes note, and breaks off no call while the files are put
// in place.
InterruptsHeld::InterruptsHeld() {
  ++g_held;
}

InterruptsHeld::~InterruptsHeld() {
  --g_held;
}

}  // namespace sc
