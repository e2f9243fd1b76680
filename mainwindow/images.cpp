#include "mainwindow/images.h"

#include <QPainter>
#include <QPolygon>
#include <array>

namespace marlinote {

namespace {

// 5 by 7 glyphs drawn pixel by pixel: at 10 by 10 no font is legible.
using Glyph = std::array<const char*, 7>;
constexpr Glyph kGlyphA = {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"};
constexpr Glyph kGlyph1 = {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "};
constexpr Glyph kGlyph2 = {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"};
constexpr Glyph kGlyphO = {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "};

QPixmap DrawMark(const Glyph& glyph, QColor color) {
  QPixmap pixmap(10, 10);
  pixmap.fill(Qt::black);
  QPainter painter(&pixmap);
  painter.setPen(color);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 5; ++x)
      if (glyph[y][x] == '#') painter.drawPoint(2 + x, 1 + y);
  painter.setPen(color.darker(160));
  painter.drawLine(1, 9, 8, 9);
  return pixmap;
}

QPixmap Canvas() {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QPixmap DrawEdit() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(240, 200, 60));
  p.drawPolygon(QPolygon({QPoint(4, 13), QPoint(13, 4), QPoint(16, 7), QPoint(7, 16)}));
  p.setBrush(QColor(230, 160, 140));
  p.drawPolygon(QPolygon({QPoint(4, 13), QPoint(7, 16), QPoint(3, 17)}));
  return pixmap;
}

QPixmap DrawCsv() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setPen(QColor(60, 60, 60));
  p.setBrush(Qt::white);
  p.drawRect(3, 2, 13, 16);
  p.setPen(QColor(40, 120, 40));
  for (int y = 6; y <= 15; y += 3) p.drawLine(5, y, 14, y);
  p.drawLine(9, 5, 9, 15);
  return pixmap;
}

QPixmap DrawViewSetup() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(220, 230, 250));
  p.drawRect(2, 3, 15, 13);
  p.setBrush(QColor(70, 110, 200));
  p.drawRect(2, 3, 15, 3);
  p.drawLine(7, 6, 7, 16);
  p.drawLine(12, 6, 12, 16);
  return pixmap;
}

QPixmap DrawFilter() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(120, 170, 230));
  p.drawPolygon(QPolygon({QPoint(2, 3), QPoint(17, 3), QPoint(11, 10), QPoint(11, 17),
                          QPoint(8, 15), QPoint(8, 10)}));
  return pixmap;
}

}  // namespace

QPixmap TagMark(int tagType) {
  switch (tagType) {
    case 0: return DrawMark(kGlyphA, QColor(0, 255, 255));
    case 1: return DrawMark(kGlyph1, QColor(255, 255, 0));
    case 2: return DrawMark(kGlyphO, QColor(0, 255, 0));
    case 3: return DrawMark(kGlyph2, QColor(255, 160, 0));
    default: return {};
  }
}

QIcon ToolButtonImage(int index) {
  switch (index) {
    case 0: return QIcon(DrawEdit());
    case 1: return QIcon(DrawCsv());
    case 2: return QIcon(DrawViewSetup());
    case 3: return QIcon(DrawFilter());
    default: return {};
  }
}

}  // namespace marlinote
