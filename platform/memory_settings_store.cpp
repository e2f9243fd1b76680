#include "memory_settings_store.h"

#include <algorithm>

namespace marlinote {

namespace {

int Rank(char c) {
  if (c == '\\') return 0;
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return static_cast<unsigned char>(c) + 1;
}

}  // namespace

bool IsValidKeyPath(std::string_view key) {
  if (key.empty()) return true;
  if (key.front() == '\\' || key.back() == '\\' || key.find("\\\\") != std::string_view::npos)
    return false;
  return IsValidValueName(key);
}

bool IsValidValueName(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool RegNameLess::operator()(std::string_view a, std::string_view b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ra = Rank(a[i]);
    const int rb = Rank(b[i]);
    if (ra != rb) return ra < rb;
  }
  return a.size() < b.size();
}

bool MemorySettingsStore::KeyExists(std::string_view key) const {
  if (key.empty() || keys_.find(key) != keys_.end()) return true;
  // A parent of a stored key: its sub-keys sort directly after "key\".
  const std::string prefix = std::string(key) + '\\';
  const auto next = keys_.lower_bound(prefix);
  return next != keys_.end() && next->first.size() > prefix.size() &&
         !RegNameLess{}(prefix, std::string_view(next->first).substr(0, prefix.size()));
}

bool MemorySettingsStore::CreateKey(std::string_view key) {
  if (!IsValidKeyPath(key)) return false;
  keys_.try_emplace(std::string(key));
  return true;
}

const RegValue* MemorySettingsStore::FindValue(std::string_view key, std::string_view name) const {
  const auto k = keys_.find(key);
  if (k == keys_.end()) return nullptr;
  const auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

bool MemorySettingsStore::SetValue(std::string_view key, std::string_view name,
                                   const RegValue& value) {
  if (!KeyExists(key) || !IsValidValueName(name) || !CreateKey(key)) return false;
  RegValues& values = keys_.find(key)->second;
  const auto v = values.find(name);
  if (v != values.end())
    v->second = value;
  else
    values.emplace(std::string(name), value);
  return true;
}

}  // namespace marlinote
