#pragma once

#include <QString>

#include <optional>
#include <string>

namespace marlinote {

// Where code page 932 text meets the widgets. Bytes that are not valid code page 932 show as
// U+FFFD.
QString FromLocal(const std::string& local);

// The code page 932 bytes of a text typed into a widget, or nothing when code page 932 cannot
// hold one of its characters: such text is refused, never replaced.
std::optional<std::string> ToLocal(const QString& text);

}  // namespace marlinote
