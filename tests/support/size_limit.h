#pragma once

#include <cstdint>
#include <functional>

namespace marlinote::test {

// Runs `body` in a forked child whose files cannot grow past `limit` bytes (RLIMIT_FSIZE,
// with SIGXFSZ ignored, so a write past it fails with EFBIG as on a full disk) and returns
// the body's result, or -1 when the child did not end normally. Writes made by the body
// are real and stay in the files.
int RunWithFileSizeLimit(std::int64_t limit, const std::function<int()>& body);

}  // namespace marlinote::test
