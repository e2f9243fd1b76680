#pragma once

#include <functional>

#include "mainwindow/command_context.h"

class QTableView;

namespace marlinote {

class SettingsWindow;

// The view setup: which columns are shown, grid lines, the data-type check. Widths the user
// dragged are taken into the column table first; the columns are rebuilt only when a column
// box changed.
void OpenViewSetup(CommandContext& context, QTableView& list, const SettingsWindow& window,
                   const std::function<void()>& buildColumns);

// The filter setup: on "適用" the filter list becomes the dialog's lines.
void OpenFilterSetup(CommandContext& context);

// What a double click on a row does, and how new APE tags store their texts.
void OpenOtherSetup(CommandContext& context);

}  // namespace marlinote
