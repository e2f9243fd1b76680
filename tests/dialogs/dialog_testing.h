#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>

#include <ostream>

#include <gtest/gtest.h>

// Failed comparisons print texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace marlinote::test {

// Shows a window (a dialog without its modal loop) and makes it the active window, so that it
// takes keyboard focus and focus events as on a desktop. Buttons that close it set result().
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Presses Tab in the focused widget.
inline void PressTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }

}  // namespace marlinote::test
