#include "mainwindow/setup_commands.h"

#include <QCheckBox>
#include <QTableView>
#include <array>

#include "catalogue/settings.h"
#include "dialogs/filter_setup_form.h"
#include "dialogs/other_setup_form.h"
#include "dialogs/radio_group.h"
#include "dialogs/view_setup_form.h"
#include "mainwindow/user_interface.h"

namespace marlinote {

void OpenViewSetup(CommandContext& context, QTableView& list, const SettingsWindow& window,
                   const std::function<void()>& buildColumns) {
  MainSettings& settings = context.state.settings;
  TViewSetupForm form(context.owner);
  const auto boxes = form.ColumnChecks();
  form.DataTypeCheckBox->setChecked(settings.DataTypeCheck);
  form.GreadEnabledCheck->setChecked(list.showGrid());
  for (std::size_t i = 0; i < boxes.size(); ++i)
    boxes[i]->setChecked(settings.ColumnTable[i + 1].Enabled);
  CaptureColumnWidths(settings.ColumnTable, window);

  if (context.ui.ShowModal(form) != kResultOk) return;
  settings.DataTypeCheck = form.DataTypeCheckBox->isChecked();
  list.setShowGrid(form.GreadEnabledCheck->isChecked());
  bool changed = false;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    bool& enabled = settings.ColumnTable[i + 1].Enabled;
    changed = changed || boxes[i]->isChecked() != enabled;
    enabled = boxes[i]->isChecked();
  }
  if (changed) buildColumns();
}

void OpenFilterSetup(CommandContext& context) {
  TFilterSetupForm form(context.owner, context.ui);
  for (const FilterEntry& entry : context.state.filters.Entries())
    form.AddLine(std::string(entry.Extension()), entry.Enabled());
  if (context.ui.ShowModal(form) != kResultOk) return;
  std::vector<FilterLine> lines;
  for (int i = 0; i < form.LineCount(); ++i)
    lines.push_back({form.LineText(i), form.IsLineChecked(i)});
  context.state.filters.Replace(lines);
}

void OpenOtherSetup(CommandContext& context) {
  MainSettings& settings = context.state.settings;
  TOtherSetupForm form(context.owner);
  form.setItemIndex(settings.FileExtSync ? 1 : 0);
  form.ApeEncodingRadioGroup->setItemIndex(settings.ApeUtf8 ? 1 : 0);
  if (context.ui.ShowModal(form) != kResultOk) return;
  settings.FileExtSync = form.itemIndex() != 0 ? 1 : 0;
  settings.ApeUtf8 = form.ApeEncodingRadioGroup->itemIndex() != 0;
}

}  // namespace marlinote
