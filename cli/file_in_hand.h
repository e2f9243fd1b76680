#pragma once

namespace marlinote::cli {

// How marlinote-cli takes a stop signal (Ctrl-C, kill, a closed terminal), which reaches it
// through StopSignalWatch. While no file is in hand the program ends at once, as any
// program would. While files are, the signal waits: the file being written is finished (its
// line printed), the command stops before its next file, and the program then ends by the
// signal.

// While it lives, files are in hand: a batch over files, or the one file a command writes.
class FileInHand {
 public:
  FileInHand();
  ~FileInHand();
  FileInHand(const FileInHand&) = delete;
  FileInHand& operator=(const FileInHand&) = delete;
};

// The watching thread's answer to a stop signal.
void TakeStopSignal(int signal);

// The stop signal that came while a file was in hand, or 0: the command stops before its
// next file, and main ends the program by it.
int WaitingStopSignal();

}  // namespace marlinote::cli
