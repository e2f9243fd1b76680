#include "mainwindow/command_context.h"

#include "tags/tag_probe.h"

namespace marlinote {

std::string AccessMessage(const std::string& fileName) {
  return fileName +
         " にアクセスできません。\n別のプロセスに開かれていないか確認の上、もう一度処理を行ってください。";
}

void ReadBack(WindowState& state, int index) {
  state.files.Replace(index, CreateTagForFile(state.files.Get(index).GetFilePath()));
}

}  // namespace marlinote
