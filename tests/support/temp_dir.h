#pragma once

#include <string>

namespace marlinote::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end of scope.
class TempDir {
 public:
  // The folder's name begins with `prefix`; it is made in `base` when that is given.
  explicit TempDir(const std::string& prefix = "marlinote-test", const std::string& base = "");
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
