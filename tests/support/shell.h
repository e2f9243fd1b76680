#pragma once

#include <string>

namespace marlinote::test {

// Debian's own interpreter, where python3-mutagen installs, whatever else is on PATH.
inline constexpr const char* kPython = "/usr/bin/python3";

// What a shell command printed on standard output, and its exit status (-1 when it did not
// run or end normally).
struct Shell {
  int status = -1;
  std::string out;
};

// Runs another program (a reference tool, a Python script) through the shell.
Shell RunShell(const std::string& command);

// Whether mutagen, the tag library of the programs the tests compare with, can be imported.
bool HasMutagen();

}  // namespace marlinote::test
