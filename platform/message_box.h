#pragma once

#include <string>

namespace marlinote {

// Message-box styles: buttons + icon + default button.
inline constexpr int kStyleQuestion = 0x34;  // Yes/No, exclamation, Yes default
inline constexpr int kStyleWarning = 0x30;   // OK, exclamation
inline constexpr int kStyleError = 0x10;     // OK, stop

// Results of message boxes and modal dialogs.
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;
inline constexpr int kResultNoToAll = 9;
inline constexpr int kResultYesToAll = 10;

inline constexpr const char* kCaptionWarning = "謹警";
inline constexpr const char* kCaptionError = "謹謝";

// Every question, warning and error goes through one of these, so that tests can answer
// them and record what was shown. Texts are UTF-8.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a box with the given style and returns the button pressed (6, 7 or 1).
  virtual int Show(const std::string& text, const std::string& caption, int style) = 0;
  // A plain message: the application's title as caption, one OK button, no icon.
  virtual void ShowPlain(const std::string& text) = 0;
};

}  // namespace marlinote
