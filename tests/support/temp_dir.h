#pragma once

#include <string>

namespace marlinote::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end of scope.
class TempDir {
 public:
  // The folder's name begins with `prefix`.
  explicit TempDir(const std::string& prefix = "marlinote-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The folder joined with a relative name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace marlinote::test
