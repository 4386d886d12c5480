#include <pthread.h>

#include <atomic>

#include "app/interrupt.h"

namespace sc {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The one piece of state a signal handler shares with the program: an atomic
// that needs no lock is safe to set from the handler.
std::atomic<int> g_arrived{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void note_signal(int signal) {
  g_arrived = signal;
}

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

void catch_interrupts() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking call returns with EINTR
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
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

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = interrupt_set();
  pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptsHeld::~InterruptsHeld() {
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace sc
