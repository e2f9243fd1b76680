#include "registry_key.h"

namespace marlinote {

bool RegistryKey::OpenKey(std::string_view path, bool canCreate) {
  key_.reset();
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (!store_.KeyExists(path) && !(canCreate && store_.CreateKey(path))) return false;
  key_ = std::string(path);
  return true;
}

bool RegistryKey::ReadInteger(std::string_view name, std::int32_t& value) const {
  const RegValue* stored = key_ ? store_.FindValue(*key_, name) : nullptr;
  if (!stored || stored->type != kRegDword) return false;
  value = static_cast<std::int32_t>(stored->number);
  return true;
}

bool RegistryKey::ReadBool(std::string_view name, bool& value) const {
  std::int32_t number = 0;
  if (!ReadInteger(name, number)) return false;
  value = number != 0;
  return true;
}

bool RegistryKey::ReadString(std::string_view name, std::string& value) const {
  if (!key_) return false;
  const RegValue* stored = store_.FindValue(*key_, name);
  if (!stored) {
    value.clear();
    return true;
  }
  if (stored->type != kRegSz && stored->type != kRegExpandSz) return false;
  value = stored->data;
  return true;
}

bool RegistryKey::WriteInteger(std::string_view name, std::int32_t value) {
  return Write(name, RegValue::Dword(static_cast<std::uint32_t>(value)));
}

bool RegistryKey::WriteBool(std::string_view name, bool value) {
  return WriteInteger(name, value ? 1 : 0);
}

bool RegistryKey::WriteString(std::string_view name, std::string_view value) {
  return Write(name, RegValue::Text(std::string(value)));
}

bool RegistryKey::Write(std::string_view name, const RegValue& value) {
  return key_ && store_.SetValue(*key_, name, value);
}

}  // namespace marlinote
