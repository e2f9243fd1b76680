#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "dialogs/filter_setup_form.h"
#include "dialogs/group_box.h"
#include "dialogs/other_setup_form.h"
#include "dialogs/radio_group.h"
#include "dialogs/tag_edit_form.h"
#include "dialogs/tag_select_form.h"
#include "dialogs/view_setup_form.h"
#include "tests/dialogs/recording_message_boxes.h"
#include "tests/dialogs/dialog_testing.h"

namespace marlinote {
namespace {

using test::ShowActive;

TEST(TagSelectFormTest, EachButtonGivesItsAnswerWithTheChosenKind) {
  struct Case {
    QPushButton* const TTagSelectForm::*button;
    bool chooseId3v1;
    int result;
  };
  const Case cases[] = {
      {&TTagSelectForm::OK_Button, false, kResultOk},
      {&TTagSelectForm::AllButton, true, kResultYesToAll},
      {&TTagSelectForm::CancelButton, false, kResultNo},
      {&TTagSelectForm::CancelAllButton, false, kResultNoToAll},
  };
  for (const Case& c : cases) {
    TTagSelectForm form(nullptr, false);
    ShowActive(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("タグ選択"));
    EXPECT_EQ(form.itemIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), form.TagTypeRadioGroup->item(0));
    if (c.chooseId3v1) {
      QRadioButton* id3v1 = form.TagTypeRadioGroup->item(1);
      QTest::mouseClick(id3v1, Qt::LeftButton, {}, QPoint(8, id3v1->height() / 2));
    }
    QTest::mouseClick(form.*c.button, Qt::LeftButton);
    EXPECT_EQ(form.result(), c.result);
    EXPECT_EQ(form.itemIndex(), c.chooseId3v1 ? 1 : 0);
  }
}

TEST(TagSelectFormTest, SingleFileOptionDisablesOnlyTheAnswersForAllFiles) {
  TTagSelectForm form(nullptr, true);
  ShowActive(form);
  QTest::mouseClick(form.AllButton, Qt::LeftButton);
  QTest::mouseClick(form.CancelAllButton, Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.OK_Button->isEnabled());
  QTest::mouseClick(form.CancelButton, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultNo);
}

TEST(ViewSetupFormTest, StartsWithTheColumnsTickedAndTabsTrackBeforeGenre) {
  TViewSetupForm form(nullptr);
  ShowActive(form);
  const QList<QCheckBox*> columns = form.ListViewSetupGroup->findChildren<QCheckBox*>();
  ASSERT_EQ(columns.size(), 7);
  for (QCheckBox* column : columns)
    EXPECT_TRUE(column->isChecked()) << column->objectName().toStdString();
  EXPECT_FALSE(form.DataTypeCheckBox->isChecked());
  EXPECT_FALSE(form.GreadEnabledCheck->isChecked());
  EXPECT_LT(form.GenreCheck->y(), form.TrackCheck->y());

  QStringList visited{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 10; ++i) {
    test::PressTab();
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, (QStringList{"FileNameCheck", "AirtistCheck", "AlbumCheck", "CommentCheck",
                                  "YearCheck", "TrackCheck", "GenreCheck", "Ok_Button",
                                  "CancelButton", "DataTypeCheckBox", "GreadEnabledCheck"}));
  QTest::keyClick(form.GreadEnabledCheck, Qt::Key_Space);
  QTest::mouseClick(form.Ok_Button, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultOk);
  EXPECT_TRUE(form.GreadEnabledCheck->isChecked());
}

TEST(OtherSetupFormTest, OpensOnThePresetChoiceAndHandsBackTheNewOne) {
  TOtherSetupForm form(nullptr);
  EXPECT_EQ(form.itemIndex(), 0);
  form.setItemIndex(1);
  ShowActive(form);
  EXPECT_TRUE(form.MouseLeftButtonRadioGroup->item(1)->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), form.MouseLeftButtonRadioGroup->item(1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(form.itemIndex(), 0);
  QTest::mouseClick(form.OkButton, Qt::LeftButton);
  EXPECT_EQ(form.result(), kResultOk);
}

// At the font in use a group's caption takes more height than the controls' places allow for:
// the controls sit below the caption and inside the frame, the groups keep their places, and
// every caption stands in from the frame's edge, also where the group is at the dialog's edge.
TEST(GroupBoxTest, NothingOverlapsAGroupsCaptionOrFrame) {
  struct Case {
    std::function<std::unique_ptr<QWidget>()> make;
    std::vector<std::pair<const char*, QRect>> groups;
  };
  const Case cases[] = {
      {[] { return std::make_unique<TViewSetupForm>(nullptr); },
       {{"ListViewSetupGroup", {8, 8, 137, 249}}, {"TagViewGroup", {160, 8, 233, 105}}}},
      {[] { return std::make_unique<TTagSelectForm>(nullptr, false); },
       {{"TagTypeRadioGroup", {0, 8, 257, 121}}}},
      {[] { return std::make_unique<TOtherSetupForm>(nullptr); },
       {{"MouseLeftButtonRadioGroup", {8, 8, 169, 89}},
        {"ApeEncodingRadioGroup", {8, 105, 169, 89}}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<QWidget> form = c.make();
    ShowActive(*form);
    for (const auto& [name, place] : c.groups) {
      SCOPED_TRACE(name);
      auto* group = form->findChild<GroupBox*>(name);
      ASSERT_NE(group, nullptr);
      EXPECT_EQ(group->geometry(), place);
      const QRect caption = group->CaptionRect();
      EXPECT_GE(group->mapTo(form.get(), caption.topLeft()).x(), GroupBox::kCaptionIndent);
      EXPECT_LE(caption.right(), group->width());
      const QRect inside = group->contentsRect();
      for (QWidget* control : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        SCOPED_TRACE(control->objectName().toStdString() + " " +
                     control->property("text").toString().toStdString());
        EXPECT_GE(control->y(), group->ContentsTop());
        EXPECT_LE(control->geometry().bottom(), inside.bottom());
        EXPECT_FALSE(control->geometry().intersects(caption));
      }
    }
  }
}

// The APE encoding group (placed under the first, as the group test above checks) stands
// above the buttons and is reached from the first group by Tab; the dialog has grown.
TEST(OtherSetupFormTest, TheApeEncodingGroupStandsUnderTheFirstAndIsReachedByTab) {
  TOtherSetupForm form(nullptr);
  RadioGroup* const ape = form.ApeEncodingRadioGroup;
  EXPECT_EQ(ape->title(), QStringLiteral("APEタグの文字コード"));
  EXPECT_EQ(ape->item(0)->text(), QStringLiteral("Shift-JIS (従来の形式)"));
  EXPECT_EQ(ape->item(1)->text(), QStringLiteral("UTF-8 (APEv2 標準)"));
  EXPECT_EQ(ape->itemIndex(), 0);
  EXPECT_GT(form.OkButton->geometry().top(), ape->geometry().bottom());
  EXPECT_GT(form.height(), form.OkButton->geometry().bottom());

  ShowActive(form);
  test::PressTab();
  EXPECT_EQ(QApplication::focusWidget(), ape->item(0));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(ape->itemIndex(), 1);
  EXPECT_EQ(form.itemIndex(), 0) << "the first group keeps its choice";
  test::PressTab();
  EXPECT_EQ(QApplication::focusWidget(), form.OkButton);
}

// Every dialog answers 2 when its window is closed, from a running modal loop too, and when
// its cancelling button is pressed.
TEST(ModalFormTest, ClosingOrCancellingAnyDialogAnswersTwo) {
  test::RecordingMessageBoxes messages;
  struct Case {
    std::function<std::unique_ptr<ModalForm>()> make;
    const char* cancelButton;
  };
  const Case cases[] = {
      {[&] { return std::make_unique<TTagEditForm>(nullptr, messages); }, "Edit_CancelBtn"},
      {[] { return std::make_unique<TTagSelectForm>(nullptr, false); }, nullptr},
      {[] { return std::make_unique<TTagSelectForm>(nullptr, true); }, nullptr},
      {[] { return std::make_unique<TViewSetupForm>(nullptr); }, "CancelButton"},
      {[&] { return std::make_unique<TFilterSetupForm>(nullptr, messages); }, "FilterCancelBtn"},
      {[] { return std::make_unique<TOtherSetupForm>(nullptr); }, "CancelButton"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ModalForm> form = c.make();
    const std::string title = form->windowTitle().toStdString();
    QTimer::singleShot(0, form.get(), [&] { form->close(); });
    EXPECT_EQ(form->exec(), kResultCancel) << title;

    form = c.make();
    ShowActive(*form);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(form->result(), kResultCancel) << title;

    if (!c.cancelButton) continue;
    form = c.make();
    ShowActive(*form);
    QTest::mouseClick(form->findChild<QPushButton*>(c.cancelButton), Qt::LeftButton);
    EXPECT_EQ(form->result(), kResultCancel) << title;
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace marlinote
