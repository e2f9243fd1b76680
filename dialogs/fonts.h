#pragma once

#include <QFont>

namespace marlinote {

// The family the program asks for; a substitution maps it to a Japanese proportional
// gothic font found on Linux desktops.
inline constexpr const char* kDialogFontFamily = "ＭＳ Ｐゴシック";

// The font of every window of the program: the family above, 12 pixels high. The first call
// installs the family substitution.
QFont DialogFont();

}  // namespace marlinote
