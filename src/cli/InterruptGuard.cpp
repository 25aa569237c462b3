#include "cli/InterruptGuard.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupts = 0;
struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};

void OnInterrupt(int) { g_interrupts = g_interrupts + 1; }

}  // namespace

InterruptGuard::InterruptGuard() {
  g_interrupts = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_oldInt);
  sigaction(SIGTERM, &action, &g_oldTerm);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
}

int InterruptGuard::Count() const { return g_interrupts; }
