#pragma once

#include <QString>

namespace marlinote {

// The application's title: the window's caption and the caption of plain messages.
inline const QString kAppTitle = QStringLiteral("Marlinote");

}  // namespace marlinote
