#include "dialogs/fonts.h"

namespace marlinote {

QFont DialogFont() {
  static const bool substituted = [] {
    QFont::insertSubstitution(QString::fromUtf8(kDialogFontFamily), QStringLiteral("IPAPGothic"));
    return true;
  }();
  (void)substituted;
  QFont font(QString::fromUtf8(kDialogFontFamily));
  font.setPixelSize(12);
  return font;
}

}  // namespace marlinote
