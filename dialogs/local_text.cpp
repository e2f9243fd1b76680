#include "dialogs/local_text.h"

#include "tags/text_conversion.h"

namespace marlinote {

QString FromLocal(const std::string& local) { return QString::fromStdString(LocalToUtf8(local)); }

std::optional<std::string> ToLocal(const QString& text) {
  return Utf8ToLocalExact(text.toStdString());
}

}  // namespace marlinote
