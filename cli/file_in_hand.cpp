#include "file_in_hand.h"

#include <mutex>

#include "platform/stop_signals.h"

namespace marlinote::cli {

namespace {

std::mutex guard;
int filesInHand = 0;
int waiting = 0;

}  // namespace

FileInHand::FileInHand() {
  const std::lock_guard<std::mutex> lock(guard);
  ++filesInHand;
}

FileInHand::~FileInHand() {
  const std::lock_guard<std::mutex> lock(guard);
  --filesInHand;
}

void TakeStopSignal(int signal) {
  const std::lock_guard<std::mutex> lock(guard);
  // Held while the program ends, so that no file can be taken in hand meanwhile.
  if (filesInHand == 0) EndBySignal(signal);
  if (waiting == 0) waiting = signal;
}

int WaitingStopSignal() {
  const std::lock_guard<std::mutex> lock(guard);
  return waiting;
}

}  // namespace marlinote::cli
