#include "foldertree/folder_path.h"

#include <algorithm>

namespace marlinote::folder_path {

std::string join(std::string_view folder, std::string_view name) {
  std::string result(folder);
  if (result.empty() || result.back() != '/') result += '/';
  result += name;
  return result;
}

std::string withoutTrailingSlash(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

std::string withTrailingSlash(std::string_view path) {
  std::string result = withoutTrailingSlash(path);
  if (result != "/") result += '/';
  return result;
}

std::string withSingleSlashes(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c != '/' || result.empty() || result.back() != '/') result += c;
  }
  return result;
}

bool namesBelow(std::string_view folder, std::string_view path, std::vector<std::string>& names) {
  const std::string prefix = withTrailingSlash(withSingleSlashes(folder));
  std::string candidate = withSingleSlashes(path);
  if (candidate.empty() || candidate.back() != '/') candidate += '/';
  if (candidate.compare(0, prefix.size(), prefix) != 0) return false;
  names.clear();
  std::string_view rest = std::string_view(candidate).substr(prefix.size());
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    names.emplace_back(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
  }
  return true;
}

bool isNeverExpanded(std::string_view name) {
  constexpr std::string_view kVolumeInformation = "System Volume Information";
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  const bool volumeInformation =
      std::equal(name.begin(), name.end(), kVolumeInformation.begin(), kVolumeInformation.end(),
                 [&](char a, char b) { return lower(a) == lower(b); });
  return volumeInformation || name == "lost+found";
}

}  // namespace marlinote::folder_path
