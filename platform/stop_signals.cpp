#include "stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace marlinote {

namespace {

// The stop signals that the program was not started ignoring. An ignored one is left out:
// blocked, it would be queued instead of dropped and reach the watch (nohup would not hold).
sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
      sigaddset(&set, signal);
  }
  return set;
}

}  // namespace

void BlockStopSignals() {
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignalWatch::StopSignalWatch(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
  const sigset_t set = StopSet();
  signals_ = FdHandle(signalfd(-1, &set, SFD_CLOEXEC));
  stop_ = FdHandle(eventfd(0, EFD_CLOEXEC));
  // Without them the signals stay blocked and pending: the program is not stopped by them,
  // which is safer than being stopped anywhere.
  if (signals_ && stop_) thread_ = std::thread([this] { Run(); });
}

StopSignalWatch::~StopSignalWatch() {
  if (!thread_.joinable()) return;
  const std::uint64_t one = 1;
  while (write(stop_.get(), &one, sizeof one) < 0 && errno == EINTR) {
  }
  thread_.join();
}

void StopSignalWatch::Run() {
  for (;;) {
    pollfd ready[2] = {{signals_.get(), POLLIN, 0}, {stop_.get(), POLLIN, 0}};
    if (poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (ready[1].revents != 0) return;
    signalfd_siginfo info{};
    if (read(signals_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
      onSignal_(static_cast<int>(info.ssi_signo));
  }
}

void EndBySignal(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signal);
  // Only where the signal could not end the process: the status a shell would show.
  _exit(128 + signal);
}

const char* StopSignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
  }
  return "a signal";
}

}  // namespace marlinote
