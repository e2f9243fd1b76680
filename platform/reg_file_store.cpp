#include "reg_file_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "platform/reg_text.h"
#include "platform/replace_file.h"

namespace marlinote {

namespace {

// The file's bytes, or nothing when it cannot be read or holds more than `limit` bytes.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
  FileHandle file = OpenRegularFile(path);
  if (!file) return std::nullopt;
  const std::int64_t size = StreamSize(file.get());
  if (size < 0 || static_cast<std::uint64_t>(size) > limit) return std::nullopt;
  // One byte more than the size, to notice a file that grows while it is read.
  std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get()) || got > static_cast<std::size_t>(size)) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// Creates every missing folder of the path, private to the user as configuration folders
// are.
bool MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

RegFileStore::RegFileStore(std::string path) : path_(std::move(path)) {
  if (auto bytes = ReadSmallFile(path_, kMaxFileSize))
    if (auto keys = ParseRegText(*bytes)) keys_ = std::move(*keys);
}

bool RegFileStore::Flush() {
  const auto slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path_.substr(0, slash)))
    return false;
  return ReplaceFile(path_, RenderRegText(keys_), OtherFiles::kLeaveAlone) == WriteResult::kOk;
}

std::string DefaultSettingsPath() {
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = getpwuid(getuid());
      home = user ? user->pw_dir : "";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/Velmora/Marlinote.reg";
}

}  // namespace marlinote
