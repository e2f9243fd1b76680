#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace marlinote {

// The text layout of a registry export, in UTF-8, for the keys below HKEY_CURRENT_USER:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Velmora\Marlinote\Column2]
//   "Enabled"=dword:00000001
//   "Name"="Airtist"
//
// Reading accepts the "REGEDIT4" header too, LF or CR LF, comment lines starting with ";",
// "@" for the unnamed value, and hex(N): data continued over several lines. Nothing else:
// any other line makes the whole text unreadable.
std::optional<RegKeys> ParseRegText(std::string_view text);

// Texts holding control characters and every REG_EXPAND_SZ are written as hex(1): and
// hex(2): data, UTF-16LE with the terminating zero, as registry exports write them.
std::string RenderRegText(const RegKeys& keys);

}  // namespace marlinote
