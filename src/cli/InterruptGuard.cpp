#include "cli/InterruptGuard.h"

#include <csignal>
#include <iterator>

namespace {

// A closing terminal sends SIGHUP: it ends the recording as Ctrl-C does.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_interrupts = 0;
struct sigaction g_previous[std::size(kSignals)] {};

void OnInterrupt(int) { g_interrupts = g_interrupts + 1; }

}  // namespace

InterruptGuard::InterruptGuard() {
  g_interrupts = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

InterruptGuard::~InterruptGuard() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

int InterruptGuard::Count() const { return g_interrupts; }
