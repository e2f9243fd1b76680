#include "dialogs/tag_edit_form.h"

#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "tests/dialogs/recording_message_boxes.h"
#include "tests/dialogs/dialog_testing.h"

namespace marlinote {
namespace {

using Field = TTagEditForm::Field;
using test::PressTab;
using test::ShowActive;

class TagEditFormTest : public testing::Test {
 protected:
  void SetUp() override { ShowActive(form); }

  // Clicks an arrow of an up-down control once.
  void Step(UpDown* upDown, UpDown::Direction direction) {
    QTest::mouseClick(upDown->arrow(direction), Qt::LeftButton);
  }
  std::vector<bool> Ticks() const {
    std::vector<bool> ticks;
    for (Field field : TTagEditForm::kFields) ticks.push_back(form.IsTicked(field));
    return ticks;
  }

  test::RecordingMessageBoxes messages;
  TTagEditForm form{nullptr, messages};
};

TEST_F(TagEditFormTest, OpensOnTheConfirmButtonAndConfirmsWithNothingTicked) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("タグの編集"));
  EXPECT_EQ(form.maximumSize(), QSize(482, 287));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  // The requested family is found through its substitute.
  EXPECT_EQ(QFontInfo(form.font()).family(), QStringLiteral("IPAPGothic"));
  ASSERT_EQ(QApplication::focusWidget(), form.Edit_OkBtn);

  QTest::keyClick(form.Edit_OkBtn, Qt::Key_Return);
  EXPECT_EQ(form.result(), kResultOk);
  EXPECT_EQ(Ticks(), std::vector<bool>(7, false));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TagEditFormTest, EnterInAnInputConfirmsNothing) {
  QTest::mouseClick(form.Edit_TitleEdit, Qt::LeftButton);
  QTest::keyClick(form.Edit_TitleEdit, Qt::Key_Return);
  EXPECT_TRUE(form.isVisible());
  form.Edit_CommentMemo->setFocus();
  QTest::keyClicks(form.Edit_CommentMemo, "a");
  QTest::keyClick(form.Edit_CommentMemo, Qt::Key_Return);
  QTest::keyClicks(form.Edit_CommentMemo, "b");
  EXPECT_TRUE(form.isVisible());
  // Line breaks are given as CR LF, as tags hold them.
  EXPECT_EQ(form.Text(Field::Comment), QStringLiteral("a\r\nb"));
}

TEST_F(TagEditFormTest, TabbingOnceAroundVisitsTheKeyboardOrderAndTicksEveryField) {
  QStringList visited;
  for (int i = 0; i < 16; ++i) {
    PressTab();
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(
      visited,
      (QStringList{"Edit_CancelBtn", "Edit_TitleEdit", "Edit_TitleCheck", "Edit_ArtistEdit",
                   "Edit_ArtistCheck", "Edit_AlbumEdit", "Edit_AlbumCheck", "Edit_CommentMemo",
                   "Edit_CommentCheck", "Edit_YearEdit", "Edit_YearCheck", "Edit_GenreComboBox",
                   "Edit_GenreCheck", "Edit_TrackEdit", "Edit_TrackCheck", "Edit_OkBtn"}));
  EXPECT_EQ(Ticks(), std::vector<bool>(7, true));
}

TEST_F(TagEditFormTest, OnlyTheArrivalOfTheFocusTicksAField) {
  QTest::mouseClick(form.Edit_ArtistEdit, Qt::LeftButton);
  EXPECT_TRUE(form.IsTicked(Field::Artist));
  QTest::mouseClick(form.Edit_ArtistCheck, Qt::LeftButton);
  EXPECT_FALSE(form.IsTicked(Field::Artist));
  QTest::mouseClick(form.Edit_ArtistEdit, Qt::LeftButton);
  EXPECT_TRUE(form.IsTicked(Field::Artist));

  // Typing into the focused box, and the window losing and regaining the focus (as around a
  // message box), leave a box that was unticked by hand as it is.
  form.SetTicked(Field::Artist, false);
  QTest::keyClicks(form.Edit_ArtistEdit, "abc");
  QWidget other;
  ShowActive(other);
  ShowActive(form);
  ASSERT_EQ(QApplication::focusWidget(), form.Edit_ArtistEdit);
  EXPECT_FALSE(form.IsTicked(Field::Artist));

  // Opening the genre list ticks Genre; closing it gives the focus back without a tick.
  QComboBox* genres = form.Edit_GenreComboBox;
  QTest::mouseClick(genres, Qt::LeftButton, {}, QPoint(genres->width() - 4, genres->height() / 2));
  ASSERT_TRUE(genres->view()->isVisible());
  EXPECT_TRUE(form.IsTicked(Field::Genre));
  form.SetTicked(Field::Genre, false);
  genres->hidePopup();
  EXPECT_FALSE(form.IsTicked(Field::Genre));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false, false, false, false, false}));
}

TEST_F(TagEditFormTest, UpDownStepsTheNumberInItsBox) {
  struct Case {
    const char* before;
    UpDown::Direction direction;
    const char* after;
  };
  const Case cases[] = {
      {"2002", UpDown::Direction::Up, "2003"},
      {"-1", UpDown::Direction::Down, "-2"},
      {" 7", UpDown::Direction::Up, "8"},
      {"+5", UpDown::Direction::Down, "4"},
      {"0", UpDown::Direction::Down, "-1"},
      {"-2147483648", UpDown::Direction::Up, "-2147483647"},
      {"2147483647", UpDown::Direction::Up, "2147483647"},
  };
  for (const Case& c : cases) {
    for (auto [edit, upDown] : {std::pair{form.Edit_YearEdit, form.Edit_YearUpDown},
                                std::pair{form.Edit_TrackEdit, form.Edit_TrackUpDown}}) {
      edit->setText(QString::fromUtf8(c.before));
      Step(upDown, c.direction);
      EXPECT_EQ(edit->text(), QString::fromUtf8(c.after)) << c.before;
    }
  }
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(form.IsTicked(Field::Year));
  EXPECT_FALSE(form.IsTicked(Field::Track));
}

TEST_F(TagEditFormTest, UpDownLeavesTextThatIsNoNumberAndSaysSo) {
  const char* const texts[] = {"", " ", "20a1", "7 ", "--1", "+", "2147483648", "１２"};
  for (const char* text : texts) {
    form.Edit_YearEdit->setText(QString::fromUtf8(text));
    Step(form.Edit_YearUpDown, UpDown::Direction::Up);
    EXPECT_EQ(form.Edit_YearEdit->text(), QString::fromUtf8(text));
  }
  ASSERT_EQ(messages.shown.size(), std::size(texts));
  for (const auto& box : messages.shown) {
    EXPECT_EQ(box.text, "数次以外の文字が存在する");
    EXPECT_EQ(box.style, 0);  // a plain message
  }
}

TEST_F(TagEditFormTest, EachUpDownActsFiveHundredTimesInOneDirection) {
  form.Edit_YearEdit->setText("0");
  form.Edit_TrackEdit->setText("0");
  for (int i = 0; i < 501; ++i) Step(form.Edit_YearUpDown, UpDown::Direction::Up);
  EXPECT_EQ(form.Edit_YearEdit->text(), "500");
  Step(form.Edit_YearUpDown, UpDown::Direction::Down);
  EXPECT_EQ(form.Edit_YearEdit->text(), "499");
  Step(form.Edit_TrackUpDown, UpDown::Direction::Up);
  EXPECT_EQ(form.Edit_TrackEdit->text(), "1");
}

TEST_F(TagEditFormTest, GenreListHoldsTheNamedGenresInTableOrder) {
  QComboBox* genres = form.Edit_GenreComboBox;
  ASSERT_EQ(genres->count(), 153);
  EXPECT_EQ(genres->itemText(0), "Blues");
  EXPECT_EQ(genres->itemText(147), "Synthpop");
  EXPECT_EQ(genres->itemText(148), "Seiyu");
  EXPECT_EQ(genres->itemText(145), "Anime");
  EXPECT_EQ(genres->itemText(152), "Anime");
  EXPECT_EQ(genres->currentIndex(), -1);
  EXPECT_EQ(genres->lineEdit()->placeholderText(), QStringLiteral("ジャンル指定"));
  EXPECT_EQ(form.Text(Field::Genre), "");
}

// The genre written is what the box shows: an entry chosen, a text typed, an emptied box; the
// placeholder that nobody touched writes nothing, though the focus ticks Genre.
TEST_F(TagEditFormTest, TheGenreWrittenIsWhatTheBoxShows) {
  enum class Action { FocusOnly, Type, ClearAll, ChooseNextEntry };
  struct Case {
    const char* preset;  // nullptr: nothing pre-filled (several files)
    Action action;
    const char* typed;
    bool writes;
    const char* written;
    const char* shown;  // the line, or the placeholder when it is empty
  };
  const Case cases[] = {
      {nullptr, Action::FocusOnly, "", false, "", "ジャンル指定"},
      {"", Action::FocusOnly, "", false, "", "ジャンル指定"},
      {nullptr, Action::Type, "J-Pop", true, "J-Pop", "J-Pop"},
      {"Pop", Action::Type, "J-Pop", true, "J-Pop", "J-Pop"},
      {"Pop", Action::ClearAll, "", true, "", ""},
      {nullptr, Action::Type, "x", true, "", ""},  // typed, then taken back
      {"Pop", Action::FocusOnly, "", true, "Pop", "Pop"},
      {"jAZZ", Action::FocusOnly, "", true, "Jazz", "Jazz"},
      {"J-Pop", Action::FocusOnly, "", true, "J-Pop", "J-Pop"},
      {"anime", Action::ChooseNextEntry, "", true, "JPop", "JPop"},
      {nullptr, Action::ChooseNextEntry, "", true, "Blues", "Blues"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.preset ? c.preset : "(none)") + " / " + c.typed);
    TTagEditForm edit(nullptr, messages);
    if (c.preset) edit.SetText(Field::Genre, QString::fromUtf8(c.preset));
    ShowActive(edit);
    QComboBox* genres = edit.Edit_GenreComboBox;
    QTest::mouseClick(genres->lineEdit(), Qt::LeftButton);
    ASSERT_TRUE(edit.IsTicked(Field::Genre));
    switch (c.action) {
      case Action::FocusOnly:
        break;
      case Action::Type:
        QTest::keyClick(genres, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(genres, QString::fromUtf8(c.typed));
        if (QString::fromUtf8(c.written).isEmpty())
          for (int i = 0; i < 2; ++i) QTest::keyClick(genres, Qt::Key_Backspace);
        break;
      case Action::ClearAll:
        QTest::keyClick(genres, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(genres, Qt::Key_Delete);
        break;
      case Action::ChooseNextEntry:
        QTest::keyClick(genres, Qt::Key_Down);
        break;
    }
    // Leaving the box, as the confirm button takes the focus, changes nothing of it.
    QTest::mouseClick(edit.Edit_TitleEdit, Qt::LeftButton);
    EXPECT_EQ(edit.Writes(Field::Genre), c.writes);
    EXPECT_EQ(edit.Text(Field::Genre), QString::fromUtf8(c.written));
    const QString line = genres->lineEdit()->text();
    EXPECT_EQ(line.isEmpty() ? genres->lineEdit()->placeholderText() : line,
              QString::fromUtf8(c.shown));
    EXPECT_EQ(genres->count(), 153);
  }
}

// A wheel over a box that has no focus neither ticks its field nor changes its value; over the
// focused genre box it still picks the next entry.
TEST_F(TagEditFormTest, AWheelOverABoxWithoutTheFocusChangesNothing) {
  const auto wheel = [](QWidget* target) {
    const QPointF at = QRectF(target->rect()).center();
    QWheelEvent event(at, target->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  };
  form.SetText(Field::Genre, "Rock");
  form.SetText(Field::Year, "2001");
  form.SetText(Field::Track, "3");
  QComboBox* genres = form.Edit_GenreComboBox;
  QWidget* const targets[] = {genres, form.Edit_YearEdit, form.Edit_TrackEdit,
                              form.Edit_YearUpDown->arrow(UpDown::Direction::Up),
                              form.Edit_TrackUpDown->arrow(UpDown::Direction::Down)};
  for (QWidget* target : targets) {
    SCOPED_TRACE(target->objectName().toStdString());
    // The window system gives the focus to a control under the wheel only when it asks for it.
    EXPECT_NE(target->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);
    wheel(target);
  }
  EXPECT_NE(genres->lineEdit()->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);
  EXPECT_EQ(QApplication::focusWidget(), form.Edit_OkBtn);
  EXPECT_EQ(Ticks(), std::vector<bool>(7, false));
  EXPECT_EQ(form.Text(Field::Genre), "Rock");
  EXPECT_EQ(form.Text(Field::Year), "2001");
  EXPECT_EQ(form.Text(Field::Track), "3");

  QTest::mouseClick(genres->lineEdit(), Qt::LeftButton);
  wheel(genres);
  EXPECT_EQ(form.Text(Field::Genre), "Techno");
}

TEST_F(TagEditFormTest, ConfirmRefusesATickedValueThatShiftJisCannotHold) {
  form.SetText(Field::Title, QStringLiteral("曲名"));
  form.Edit_CommentMemo->setPlainText(QStringLiteral("line\n🎵"));
  form.SetTicked(Field::Title, true);
  form.SetTicked(Field::Comment, true);
  QTest::mouseClick(form.Edit_OkBtn, Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(form.result(), kResultOk);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Coment に Shift-JIS で表せない文字が含まれています。");
  EXPECT_EQ(messages.shown[0].caption, kCaptionWarning);
  EXPECT_EQ(messages.shown[0].style, kStyleWarning);
  EXPECT_EQ(QApplication::focusWidget(), form.Edit_CommentMemo);

  // An unticked field is not written, so its text does not matter.
  form.SetTicked(Field::Comment, false);
  QTest::mouseClick(form.Edit_OkBtn, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultOk);
  EXPECT_EQ(form.Text(Field::Title), QStringLiteral("曲名"));
}

TEST_F(TagEditFormTest, APresetValueLeftAsItWasIsTakenEvenWhereItShowsAnUndefinedByte) {
  // What a tag's bytes that code page 932 does not define look like once pre-filled.
  const QString shown = QStringLiteral("A\uFFFDB");
  form.SetText(Field::Artist, shown);
  form.SetTicked(Field::Artist, true);
  QTest::mouseClick(form.Edit_OkBtn, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultOk);
  EXPECT_TRUE(messages.shown.empty());

  TTagEditForm edited(nullptr, messages);
  edited.SetText(Field::Artist, shown);
  edited.SetTicked(Field::Artist, true);
  edited.Edit_ArtistEdit->setText(shown + "C");
  ShowActive(edited);
  QTest::mouseClick(edited.Edit_OkBtn, Qt::LeftButton);
  EXPECT_NE(edited.result(), kResultOk);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Artist に Shift-JIS で表せない文字が含まれています。");
}

}  // namespace
}  // namespace marlinote
