// The settings file parser over any text: never a crash; a store it read is saved as text
// that parses again, and after one save the text no longer changes; loading the settings
// from what it read, saving them and loading again gives the same settings.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>

#include "catalogue/settings.h"
#include "fuzz/memory_file.h"
#include "platform/memory_settings_store.h"
#include "platform/reg_text.h"

namespace {

using marlinote::fuzz::Check;
namespace m = marlinote;

class Window : public m::SettingsWindow {
 public:
  int GetMetric(Metric metric) const override { return metrics.at(metric); }
  void SetMetric(Metric metric, int value) override { metrics[metric] = value; }
  std::vector<int> ListColumnWidths() const override { return {}; }
  std::map<Metric, int> metrics = {
      {kLeft, 0}, {kTop, 0}, {kWidth, 800}, {kHeight, 600}, {kFolderViewWidth, 200}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto keys = m::ParseRegText(text);
  if (!keys) return 0;

  const std::string saved = m::RenderRegText(*keys);
  const auto reread = m::ParseRegText(saved);
  Check(reread.has_value());
  const std::string resaved = m::RenderRegText(*reread);
  const auto settled = m::ParseRegText(resaved);
  Check(settled.has_value() && m::RenderRegText(*settled) == resaved);

  m::MemorySettingsStore store(*keys);
  m::MainSettings settings;
  Window window;
  m::LoadSettings(store, settings, window);
  Check(m::SaveSettings(store, settings, window));
  m::MainSettings loaded;
  Window other;
  m::LoadSettings(store, loaded, other);
  Check(loaded.ColumnTable == settings.ColumnTable);
  Check(loaded.FileExtSync == settings.FileExtSync && loaded.DataTypeCheck == settings.DataTypeCheck &&
        loaded.ApeUtf8 == settings.ApeUtf8);
  Check(other.metrics == window.metrics);
  return 0;
}
