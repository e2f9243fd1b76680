#pragma once

#include <functional>
#include <string>

#include "mainwindow/window_state.h"

class QWidget;

namespace marlinote {

class UserInterface;

// What a command of the main window works on: the window's state, the facility through
// which it talks to the user, the owner of its dialogs and the redraw of a range of rows.
struct CommandContext {
  WindowState& state;
  UserInterface& ui;
  QWidget* owner;
  std::function<void(int first, int last)> refreshRows;
};

// The message for a file that cannot be reached, beginning with the file's name.
std::string AccessMessage(const std::string& fileName);

// Replaces the entry of row `index` by what its file holds now, read as a scan reads it, so
// that a row shows what was written (a value cut to the tag's room, the kind a later scan
// finds) rather than what was asked for.
void ReadBack(WindowState& state, int index);

}  // namespace marlinote
