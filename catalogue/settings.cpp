#include "settings.h"

#include <string>

#include "platform/registry_key.h"

namespace marlinote {

const char* const kSettingsKey = "\\Software\\Velmora\\Marlinote";

namespace {

struct MetricValue {
  const char* name;
  SettingsWindow::Metric metric;
};

constexpr MetricValue kMetricValues[] = {
    {"WindowLeft", SettingsWindow::kLeft},
    {"WindowTop", SettingsWindow::kTop},
    {"WindowWidth", SettingsWindow::kWidth},
    {"WindowHeight", SettingsWindow::kHeight},
    {"FolderViewWidth", SettingsWindow::kFolderViewWidth},
};

std::string ColumnKey(int index) {
  return std::string(kSettingsKey) + "\\Column" + std::to_string(index);
}

}  // namespace

void LoadColumnTable(SettingsStore& store, ColumnArray& columns) {
  columns = DefaultColumnTable();
  RegistryKey reg(store);
  for (int i = 0; i < kColumnCount; ++i) {
    ColumnEntry& column = columns[i];
    std::string name;
    if (!reg.OpenKey(ColumnKey(i), false) || !reg.ReadBool("Enabled", column.Enabled) ||
        !reg.ReadInteger("Width", column.Width) || !reg.ReadString("Name", name))
      break;
    column.Name = std::move(name);
  }
}

bool LoadApeUtf8(SettingsStore& store) {
  RegistryKey reg(store);
  bool utf8 = false;
  return reg.OpenKey(kSettingsKey, false) && reg.ReadBool("ApeUtf8", utf8) && utf8;
}

void LoadSettings(SettingsStore& store, MainSettings& settings, SettingsWindow& window) {
  LoadColumnTable(store, settings.ColumnTable);
  settings.ApeUtf8 = LoadApeUtf8(store);

  RegistryKey reg(store);
  bool ok = reg.OpenKey(kSettingsKey, false);
  for (const MetricValue& value : kMetricValues) {
    std::int32_t number = 0;
    ok = ok && reg.ReadInteger(value.name, number);
    if (!ok) break;
    window.SetMetric(value.metric, number);
  }
  std::int32_t fileExtSync = 0;
  bool dataTypeCheck = true;
  if (ok && reg.ReadInteger("FileExtSync", fileExtSync) &&
      reg.ReadBool("DataTypeCheck", dataTypeCheck)) {
    settings.FileExtSync = fileExtSync != 0 ? 1 : 0;
    settings.DataTypeCheck = dataTypeCheck;
  } else {
    settings.FileExtSync = 0;
    settings.DataTypeCheck = true;
  }
  // Kept apart from the values above, which older settings files hold without it.
  settings.LastFolder.clear();
  if (reg.OpenKey(kSettingsKey, false) && !reg.ReadString("LastFolder", settings.LastFolder))
    settings.LastFolder.clear();
}

void CaptureColumnWidths(ColumnArray& columns, const SettingsWindow& window) {
  const std::vector<int> widths = window.ListColumnWidths();
  std::size_t next = 0;
  for (ColumnEntry& column : columns) {
    if (!column.Enabled) continue;
    if (next == widths.size()) break;
    column.Width = widths[next++];
  }
}

bool SaveSettings(SettingsStore& store, MainSettings& settings, const SettingsWindow& window) {
  CaptureColumnWidths(settings.ColumnTable, window);

  RegistryKey reg(store);
  bool columnsOk = true;
  for (int i = 0; i < kColumnCount && columnsOk; ++i) {
    const ColumnEntry& column = settings.ColumnTable[i];
    columnsOk = reg.OpenKey(ColumnKey(i), true) && reg.WriteBool("Enabled", column.Enabled) &&
                reg.WriteInteger("Width", column.Width) && reg.WriteString("Name", column.Name);
  }

  bool mainOk = reg.OpenKey(kSettingsKey, true);
  for (const MetricValue& value : kMetricValues)
    mainOk = mainOk && reg.WriteInteger(value.name, window.GetMetric(value.metric));
  mainOk = mainOk && reg.WriteInteger("FileExtSync", settings.FileExtSync) &&
           reg.WriteBool("DataTypeCheck", settings.DataTypeCheck) &&
           reg.WriteBool("ApeUtf8", settings.ApeUtf8) &&
           reg.WriteString("LastFolder", settings.LastFolder);
  reg.CloseKey();
  return store.Flush() && columnsOk && mainOk;
}

}  // namespace marlinote
