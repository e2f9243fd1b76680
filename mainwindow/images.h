#pragma once

#include <QIcon>
#include <QPixmap>

namespace marlinote {

// The tag marks, 10 by 10 on black, indexed by tag type id (0 APE, 1 ID3v1, 2 Ogg Vorbis);
// a null pixmap for any other id.
QPixmap TagMark(int tagType);

// The 20 by 20 images of the tool buttons: 0 edit, 1 CSV, 2 view setup, 3 filter setup.
QIcon ToolButtonImage(int index);

}  // namespace marlinote
