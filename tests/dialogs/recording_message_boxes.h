#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace marlinote::test {

// Answers message boxes in place of a person: records every box shown and returns the
// scripted answers in turn. A box with only an OK button answers 1 by itself; a question
// without a scripted answer fails the test and answers No.
class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::string caption;  // empty for a plain message
    int style = 0;        // 0 for a plain message
  };

  int Show(const std::string& text, const std::string& caption, int style) override {
    shown.push_back({text, caption, style});
    if (!answers.empty()) {
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    if (style == kStyleQuestion) {
      ADD_FAILURE() << "unexpected question: " << text;
      return kResultNo;
    }
    return kResultOk;
  }

  void ShowPlain(const std::string& text) override { shown.push_back({text, "", 0}); }

  // The texts shown, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const Shown& box : shown) result.push_back(box.text);
    return result;
  }

  std::vector<Shown> shown;
  std::deque<int> answers;
};

}  // namespace marlinote::test
