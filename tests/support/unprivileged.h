#pragma once

#include <functional>

namespace marlinote::test {

// Runs `body` in a forked child to which file permissions apply: as the user "nobody" when
// the tests run as root (whom no permission stops), as the current user otherwise. Returns
// the body's result, or -1 when the child could not give up root or did not end normally.
// Folders the body works in must be open to that user.
int RunUnprivileged(const std::function<int()>& body);

}  // namespace marlinote::test
