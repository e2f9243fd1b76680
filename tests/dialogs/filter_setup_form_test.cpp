#include "dialogs/filter_setup_form.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "tests/dialogs/recording_message_boxes.h"
#include "tests/dialogs/dialog_testing.h"

namespace marlinote {
namespace {

constexpr const char* kEmpty = "フィルタ文字列が指定されていません。";
constexpr const char* kNoDot = "フィルタ文字列は . からはじめてください。";
constexpr const char* kTooLong = "フィルタ文字列が長すぎます。";

class FilterSetupFormTest : public testing::Test {
 protected:
  void SetUp() override { test::ShowActive(form); }

  void Add(const QString& text) {
    form.FilterAddEdit->setText(text);
    QTest::mouseClick(form.AddFilterBtn, Qt::LeftButton);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < form.LineCount(); ++i) lines.push_back(form.LineText(i));
    return lines;
  }

  test::RecordingMessageBoxes messages;
  TFilterSetupForm form{nullptr, messages};
};

TEST_F(FilterSetupFormTest, AddRefusesTextsByTheFirstRuleTheyBreak) {
  const QString a28(28, u'a');
  const QString kana14(14, QChar(u'あ'));  // two bytes each in code page 932
  std::string kana14Bytes;
  for (int i = 0; i < 14; ++i) kana14Bytes += "\x82\xa0";
  struct Case {
    QString text;
    const char* message;  // nullptr when the text is added
    std::string stored;
  };
  const Case cases[] = {
      {"", kEmpty, ""},
      {"mp3", kNoDot, ""},
      {" .mp3", kNoDot, ""},
      {"." + a28, nullptr, "." + std::string(28, 'a')},
      {"." + a28 + "a", kTooLong, ""},
      {"." + kana14, nullptr, "." + kana14Bytes},
      {"." + kana14 + "a", kTooLong, ""},
      {QStringLiteral(".🎵"), "フィルタ文字列に Shift-JIS で表せない文字が含まれています。", ""},
      {".", nullptr, "."},
      {".*", nullptr, ".*"},
  };
  std::vector<std::string> expectedMessages;
  std::vector<std::string> expectedLines;
  for (const Case& c : cases) {
    Add(c.text);
    EXPECT_EQ(form.FilterAddEdit->text(), c.text);
    if (c.message)
      expectedMessages.push_back(c.message);
    else
      expectedLines.push_back(c.stored);
  }
  EXPECT_EQ(messages.texts(), expectedMessages);
  for (const auto& box : messages.shown) {
    EXPECT_EQ(box.caption, kCaptionError);
    EXPECT_EQ(box.style, kStyleError);
  }
  EXPECT_EQ(Lines(), expectedLines);
  for (int i = 0; i < form.LineCount(); ++i) EXPECT_FALSE(form.IsLineChecked(i));
}

TEST_F(FilterSetupFormTest, CallersLinesComeBackAsTheyWereGivenAfterTheNewOnes) {
  // ".あ" and a byte that code page 932 does not define.
  form.AddLine(".\x82\xa0", true);
  form.AddLine(".\x80x", false);
  Add(".MP3");
  Add(".mp3");
  Add(".mp3");
  EXPECT_EQ(Lines(), (std::vector<std::string>{".\x82\xa0", ".\x80x", ".MP3", ".mp3", ".mp3"}));
  EXPECT_EQ(form.FilterCheckListBox->item(0)->text(), QStringLiteral(".あ"));

  // The user ticks and unticks lines with the space bar.
  form.FilterCheckListBox->setCurrentRow(0);
  QTest::keyClick(form.FilterCheckListBox, Qt::Key_Space);
  form.FilterCheckListBox->setCurrentRow(4);
  QTest::keyClick(form.FilterCheckListBox, Qt::Key_Space);
  std::vector<bool> checked;
  for (int i = 0; i < form.LineCount(); ++i) checked.push_back(form.IsLineChecked(i));
  EXPECT_EQ(checked, (std::vector<bool>{false, false, false, false, true}));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FilterSetupFormTest, DeleteRemovesOnlyTheSelectedLine) {
  for (const char* text : {".a", ".b", ".c"}) form.AddLine(text, true);
  QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
  EXPECT_EQ(Lines(), (std::vector<std::string>{".a", ".b", ".c"}));

  form.FilterCheckListBox->setCurrentRow(1);
  QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
  EXPECT_EQ(Lines(), (std::vector<std::string>{".a", ".c"}));
  // The deletion leaves no line selected, so a second press deletes nothing.
  QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
  EXPECT_EQ(Lines(), (std::vector<std::string>{".a", ".c"}));

  for (int row : {1, 0}) {
    form.FilterCheckListBox->setCurrentRow(row);
    QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
  }
  EXPECT_EQ(form.LineCount(), 0);
  QTest::mouseClick(form.FilterOkBtn, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultOk);
  EXPECT_EQ(form.LineCount(), 0);
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace marlinote
