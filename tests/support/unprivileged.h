#pragma once

#include <functional>
#include <optional>
#include <string>

namespace marlinote::test {

// Runs `body` in a forked child to which file permissions apply: as the user "nobody" when
// the tests run as root (whom no permission stops), as the current user otherwise. Returns
// the body's result, or -1 when the child could not give up root or did not end normally.
// Folders the body works in must be open to that user.
int RunUnprivileged(const std::function<int()>& body);

// The same for a body that reports in text: what it returned, or nothing when the child
// could not give up root, did not end normally or could not pass the text back.
std::optional<std::string> RunUnprivilegedForText(const std::function<std::string()>& body);

}  // namespace marlinote::test
