// The tag edit and the tag type change from the window, with a person's answers scripted and
// real files in a temporary folder.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "dialogs/other_setup_form.h"
#include "dialogs/radio_group.h"
#include "dialogs/tag_edit_form.h"
#include "dialogs/tag_select_form.h"
#include "mainwindow/images.h"
#include "mainwindow/tag_list_model.h"
#include "tags/genre_table.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"
#include "tests/dialogs/dialog_testing.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/size_limit.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using Field = TTagEditForm::Field;
using test::Press;
using test::ReadBytes;
using test::WindowTest;
using namespace std::string_literals;

const char* const kNoKindQuestion =
    " のタグ形式は設定されていないため、タグ情報を保存できません。\nタグ形式を設定しますか?";

std::string AccessText(const std::string& name) {
  return name +
         " にアクセスできません。\n別のプロセスに開かれていないか確認の上、もう一度処理を行ってください。";
}

}  // namespace

void PrintTo(const TagField& field, std::ostream* out) {
  *out << field.key << "=" << LocalToUtf8(field.value);
}

namespace {

FieldList FieldsOf(const std::string& path) { return CreateTagForFile(path)->GetFieldList(); }
int KindOf(const std::string& path) { return CreateTagForFile(path)->GetTagType(); }

// The same fields with one value replaced.
FieldList With(FieldList fields, const std::string& key, const std::string& value) {
  for (TagField& field : fields)
    if (field.key == key) field.value = value;
  return fields;
}

class TagCommandTest : public WindowTest {
 protected:
  // Lists the media folder and selects rows.
  void ListAndSelect(std::initializer_list<int> rows) {
    Start();
    ClickFolder(media.path() + "/");
    SelectRows(rows);
  }
  // The next tag edit dialog ticks one field, sets its text and is confirmed.
  void NextEditSets(Field field, const QString& text) {
    ui.Next<TTagEditForm>([field, text](TTagEditForm& form) {
      form.SetTicked(field, true);
      form.SetText(field, text);
      return Press(form.Edit_OkBtn);
    });
  }
  // A save of one field over the selection that gives the files without a tag one: the
  // question answered Yes, the tag select dialog confirmed by `button` (OK, or All).
  void SaveGivingTags(Field field, const QString& text, QPushButton* const TTagSelectForm::*button) {
    NextEditSets(field, text);
    ui.boxes.answers = {kResultYes};
    ui.Next<TTagSelectForm>([button](TTagSelectForm& form) { return Press(form.*button); });
    ClickTool("TagEditToolButton");
  }
  // The mark the list shows for a row, as a tag type (-1 for none).
  int MarkOf(int row) const {
    const QVariant mark = window->Model().data(window->Model().index(row, 0), Qt::DecorationRole);
    for (int type = 0; type < 4; ++type)
      if (mark.isValid() && mark.value<QPixmap>().toImage() == TagMark(type).toImage()) return type;
    return -1;
  }
};

TEST_F(TagCommandTest, ThreeFilesWithoutATagAnsweredChangeAllBecomeApeAfterOneQuestion) {
  for (const char* name : {"1.ape", "2.ape", "3.ape"}) test::WriteApeDataFile(Media(name));
  ListAndSelect({0, 1, 2});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    QTest::mouseClick(form.Edit_ArtistEdit, Qt::LeftButton);
    form.Edit_ArtistEdit->setText("Artist");
    return Press(form.Edit_OkBtn);
  });
  ui.boxes.answers = {kResultYes};
  ui.Next<TTagSelectForm>([](TTagSelectForm& form) { return Press(form.AllButton); });
  ClickTool("TagEditToolButton");

  EXPECT_EQ(ui.boxes.texts(), std::vector<std::string>{std::string("1.ape") + kNoKindQuestion});
  EXPECT_EQ(ui.dialogTitles, (std::vector<QString>{"タグの編集", "タグ選択"}));
  for (const char* name : {"1.ape", "2.ape", "3.ape"}) {
    EXPECT_EQ(KindOf(Media(name)), kTagApe) << name;
    EXPECT_EQ(FieldsOf(Media(name)), (FieldList{{"Artist", "Artist"}})) << name;
  }
  for (int row = 0; row < 3; ++row) EXPECT_EQ(MarkOf(row), kTagApe);
  EXPECT_EQ(ColumnTexts(2), (QStringList{"Artist", "Artist", "Artist"}));
}

// UTF-8 chosen in the other setup: a file given its first APE tag gets an APEv2 tag. A
// multiplexed Ogg file among the selection is named in a message and left as it was.
TEST_F(TagCommandTest, NewApeTagsTakeTheChosenEncodingAndAMultiplexedOggFileIsReported) {
  test::WriteApeDataFile(Media("1.ape"));
  const std::string mux = test::MakeMultiplexedOggVorbis({.comments = {"TITLE=o"}}, {.serial = 2});
  test::WriteBytes(Media("2.ogg"), mux);
  ListAndSelect({0, 1});
  ui.Next<TOtherSetupForm>([](TOtherSetupForm& form) {
    EXPECT_EQ(form.ApeEncodingRadioGroup->itemIndex(), 0);
    form.ApeEncodingRadioGroup->setItemIndex(1);
    return Press(form.OkButton);
  });
  Trigger("OthersSetup");
  SaveGivingTags(Field::Title, "\u685c", &TTagSelectForm::OK_Button);

  const std::unique_ptr<TAbstractTag> ape = CreateTagForFile(Media("1.ape"));
  EXPECT_EQ(ape->TextEncoding(), "utf-8");
  EXPECT_EQ(ape->GetField("Title"), "\x8D\xF7");
  const std::string bytes = ReadBytes(Media("1.ape"));
  EXPECT_NE(bytes.find("Title\0\xE6\xA1\x9C"s + "APETAGEX"), std::string::npos);
  EXPECT_EQ(ReadBytes(Media("2.ogg")), mux);
  EXPECT_EQ(ui.boxes.texts().back(),
            "2.ogg は複数のストリームが交互に並んだ Ogg ファイルのため、タグを書き換えられません。");
  EXPECT_EQ(ui.boxes.shown.back().style, 0x30);

  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("", "ApeUtf8"), 1u);
}

TEST_F(TagCommandTest, NoneChangedOrTheSelectDialogClosedAsksNothingMoreAndWritesNothing) {
  for (const char* name : {"1.ape", "2.ape", "3.ape"}) test::WriteApeDataFile(Media(name));
  const std::string before = ReadBytes(Media("2.ape"));
  ListAndSelect({0, 1, 2});
  const std::function<int(TTagSelectForm&)> answers[] = {
      [](TTagSelectForm& form) { return Press(form.CancelAllButton); },
      [](TTagSelectForm& form) { return test::CloseBox(form); },
  };
  for (const auto& answer : answers) {
    ui.boxes.shown.clear();
    ui.Next<TTagEditForm>([](TTagEditForm& form) {
      form.SetTicked(Field::Title, true);
      form.SetText(Field::Title, "t");
      return Press(form.Edit_OkBtn);
    });
    ui.boxes.answers = {kResultYes};
    ui.Next<TTagSelectForm>(answer);
    window->EditSelectedTags();
    EXPECT_EQ(ui.boxes.shown.size(), 1u);
    EXPECT_TRUE(ui.dialogs.empty());
    for (const char* name : {"1.ape", "2.ape", "3.ape"}) EXPECT_EQ(KindOf(Media(name)), kTagNone);
    EXPECT_EQ(ReadBytes(Media("2.ape")), before);
  }
}

TEST_F(TagCommandTest, TickingOnlyArtistChangesOnlyTheArtistOfEveryKindOfTag) {
  const FieldList apeFields = {{"Title", "T1"}, {"Artist", "A1"}, {"Album", "B1"},
                               {"Comment", "C1"}, {"Year", "2001"}, {"Genre", "Rock"},
                               {"Track", "1"}};
  const FieldList id3Fields = {{"Title", "T2"},   {"Artist", "A2"}, {"Album", "B2"},
                               {"Year", "2002"},  {"Comment", "C2"}, {"Track", "2"},
                               {"Genre", "Jazz"}};
  test::WriteApeFile(Media("a.ape"), apeFields);
  test::WriteId3v1File(Media("b.mp3"), id3Fields);
  const std::vector<std::string> oggComments = {"TITLE=T3", "ARTIST=A3", "ALBUM=B3",
                                                "COMMENT=C3", "DATE=2003", "OTHER=x"};
  test::WriteOggFile(Media("c.ogg"), oggComments);
  const test::DecodedOgg oggBefore = test::DecodeOggVorbis(Media("c.ogg"));
  const FieldList oggFields = FieldsOf(Media("c.ogg"));

  ListAndSelect({0, 1, 2});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    // Nothing is pre-filled for several files.
    for (Field field : TTagEditForm::kFields) EXPECT_EQ(form.Text(field), "");
    QTest::mouseClick(form.Edit_ArtistEdit, Qt::LeftButton);
    form.Edit_ArtistEdit->setText("新しい人");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  EXPECT_TRUE(ui.boxes.shown.empty());

  const std::string artist = Utf8ToLocal("新しい人");
  EXPECT_EQ(FieldsOf(Media("a.ape")), With(apeFields, "Artist", artist));
  EXPECT_EQ(FieldsOf(Media("b.mp3")), With(id3Fields, "Artist", artist));
  EXPECT_EQ(FieldsOf(Media("c.ogg")), With(oggFields, "Artist", artist));
  const test::DecodedOgg oggAfter = test::DecodeOggVorbis(Media("c.ogg"));
  EXPECT_EQ(oggAfter.pcm, oggBefore.pcm);
  std::vector<std::string> expectedComments = oggComments;
  expectedComments[1] = "ARTIST=新しい人";
  EXPECT_EQ(oggAfter.comments, expectedComments);
  EXPECT_EQ(ColumnTexts(2), (QStringList{"新しい人", "新しい人", "新しい人"}));
}

TEST_F(TagCommandTest, RowsTwoAndFiveSelectedRedrawRowsTwoToFive) {
  for (int i = 0; i < 7; ++i)
    test::WriteApeFile(Media(std::to_string(i) + ".ape"), {{"Title", "old"}});
  ListAndSelect({2, 5});
  QSignalSpy redrawn(&window->Model(), &QAbstractItemModel::dataChanged);
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    form.SetTicked(Field::Title, true);
    form.SetText(Field::Title, "new");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  ASSERT_EQ(redrawn.size(), 1);
  EXPECT_EQ(redrawn[0][0].value<QModelIndex>().row(), 2);
  EXPECT_EQ(redrawn[0][1].value<QModelIndex>().row(), 5);
  EXPECT_EQ(ColumnTexts(0), (QStringList{"old", "old", "new", "old", "old", "new", "old"}));
}

TEST_F(TagCommandTest, WithTheDataCheckAnOggFileIsRefusedAndAnMp3FileAsksFirst) {
  test::WriteOggFile(Media("a.ogg"), {"TITLE=o"});
  test::WriteId3v1File(Media("b.mp3"), {{"Title", "m"}});
  const std::string ogg = ReadBytes(Media("a.ogg"));
  const std::string mp3 = ReadBytes(Media("b.mp3"));
  ListAndSelect({0});
  Trigger("ChangeTagTypeMApe");
  ASSERT_EQ(ui.boxes.shown.size(), 1u);
  EXPECT_EQ(ui.boxes.shown[0].text, "a.ogg のデータ形式は、この種類のタグに変更できません。");
  EXPECT_EQ(ui.boxes.shown[0].caption, "謹警");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x30);
  EXPECT_EQ(ReadBytes(Media("a.ogg")), ogg);

  // The Ogg entry of the menu changes nothing and asks nothing.
  SelectRows({0, 1});
  Trigger("ChangeTagTypeOgg");
  EXPECT_EQ(ui.boxes.shown.size(), 1u);

  const std::string question =
      "b.mp3 のデータ形式には、一般的に Ape_Tag 形式のタグは使用しません。\nタグ形式変換を続行しますか?";
  SelectRows({1});
  ui.boxes.answers = {kResultNo};
  Trigger("ChangeTagTypeMApe");
  ASSERT_EQ(ui.boxes.shown.size(), 2u);
  EXPECT_EQ(ui.boxes.shown[1].text, question);
  EXPECT_EQ(ui.boxes.shown[1].style, 0x34);
  EXPECT_EQ(ReadBytes(Media("b.mp3")), mp3);
  EXPECT_EQ(MarkOf(1), kTagId3v1);

  SelectRows({1});
  ui.boxes.answers = {kResultYes};
  Trigger("ChangeTagTypeMApe");
  EXPECT_EQ(ui.boxes.texts().back(), question);
  EXPECT_EQ(KindOf(Media("b.mp3")), kTagApe);
  EXPECT_EQ(CreateTagForFile(Media("b.mp3"))->GetField("Title"), "m");
  EXPECT_EQ(MarkOf(1), kTagApe);

  // Back to ID3v1: an .mp3 file's usual kind, so nothing is asked.
  SelectRows({1});
  Trigger("TagTypeID3v1");
  EXPECT_EQ(ui.boxes.shown.size(), 3u);
  EXPECT_EQ(ReadBytes(Media("b.mp3")), mp3);

  // ID3v2 is usual too: a 2.3 tag in front of the file, the trailer kept, the mark "2";
  // back to ID3v1 the ID3v2 tag goes. An Ogg file is refused as for the other kinds.
  Trigger("TagTypeID3v2");
  EXPECT_EQ(ui.boxes.shown.size(), 3u);
  EXPECT_EQ(MarkOf(1), kTagId3v2);
  const std::string v2 = ReadBytes(Media("b.mp3"));
  EXPECT_EQ(v2.substr(0, 4), std::string("ID3\x03", 4));
  EXPECT_EQ(v2.substr(v2.size() - mp3.size()), mp3);
  EXPECT_EQ(CreateTagForFile(Media("b.mp3"))->GetField("Title"), "m");
  Trigger("TagTypeID3v1");
  EXPECT_EQ(ReadBytes(Media("b.mp3")), mp3);
  SelectRows({0});
  Trigger("TagTypeID3v2");
  EXPECT_EQ(ui.boxes.texts().back(), "a.ogg のデータ形式は、この種類のタグに変更できません。");
  EXPECT_EQ(ReadBytes(Media("a.ogg")), ogg);
}

TEST_F(TagCommandTest, AFileThatCannotBeReachedGetsOneMessageAndTheOthersAreChanged) {
  // Run as root, permission bits stop nothing; a file that is gone, or a folder in its
  // place, cannot be opened for writing whoever runs the program.
  for (const char* name : {"a.ape", "b.ape", "c.ape", "d.ape", "e.ape", "f.ape"})
    test::WriteApeFile(Media(name), {{"Title", name}});
  ListAndSelect({0, 1, 2});
  fs::remove(Media("b.ape"));
  Trigger("TagTypeID3v1");
  EXPECT_EQ(ui.boxes.texts(), std::vector<std::string>{AccessText("b.ape")});
  EXPECT_EQ(ui.boxes.shown[0].caption, "謹謝");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x10);
  EXPECT_EQ(KindOf(Media("a.ape")), kTagId3v1);
  EXPECT_EQ(KindOf(Media("c.ape")), kTagId3v1);
  EXPECT_EQ(MarkOf(0), kTagId3v1);
  EXPECT_EQ(MarkOf(1), kTagApe);
  EXPECT_EQ(MarkOf(2), kTagId3v1);

  // Without the data check the file is first opened to cut its tag off.
  window->State().settings.DataTypeCheck = false;
  const std::string before = ReadBytes(Media("e.ape"));
  SelectRows({3, 4, 5});
  fs::rename(Media("e.ape"), Media("e.ape.away"));
  fs::create_directory(Media("e.ape"));
  Trigger("TagTypeID3v1");
  EXPECT_EQ(ui.boxes.texts().back(), AccessText("e.ape"));
  EXPECT_EQ(ui.boxes.shown.size(), 2u);
  EXPECT_EQ(KindOf(Media("d.ape")), kTagId3v1);
  EXPECT_EQ(KindOf(Media("f.ape")), kTagId3v1);
  EXPECT_EQ(CreateTagForFile(Media("f.ape"))->GetField("Title"), "f.ape");
  EXPECT_EQ(ReadBytes(Media("e.ape.away")), before);
}

TEST_F(TagCommandTest, ASaveSaysSoWhenAFileWithoutATagCannotBeGivenOne) {
  for (const char* name : {"1.ape", "2.ape", "3.ape"}) test::WriteApeDataFile(Media(name));
  ListAndSelect({0, 1, 2});
  fs::remove(Media("2.ape"));
  SaveGivingTags(Field::Album, "B", &TTagSelectForm::AllButton);
  EXPECT_EQ(ui.boxes.texts(), (std::vector<std::string>{std::string("1.ape") + kNoKindQuestion,
                                                        AccessText("2.ape")}));
  EXPECT_EQ(FieldsOf(Media("1.ape")), (FieldList{{"Album", "B"}}));
  EXPECT_EQ(FieldsOf(Media("3.ape")), (FieldList{{"Album", "B"}}));
  EXPECT_FALSE(fs::exists(Media("2.ape")));
}

// What a forked run of a command reports back in its exit status: the number of boxes shown,
// whether the last one was the access message for `name`, and the entry's tag type.
int Report(const test::ScriptedUi& ui, const std::string& name, const TAbstractTag& entry) {
  const bool access = !ui.boxes.shown.empty() && ui.boxes.shown.back().text == AccessText(name);
  return static_cast<int>(ui.boxes.shown.size()) + (access ? 10 : 0) + 20 * (entry.GetTagType() + 1);
}

// RunUnprivileged for a command over several files, whose progress runs the window's events:
// the child paints nothing, since Qt's painting threads stay in the parent and a paint in the
// child would wait for them for ever.
int RunCommandUnprivileged(TMainWindow& window, const std::function<int()>& body) {
  return test::RunUnprivileged([&] {
    window.setUpdatesEnabled(false);
    return body();
  });
}

TEST_F(TagCommandTest, AWriteThatFailsAfterTheOldTagWasCutOffPutsTheOldTagBack) {
  // The file cannot grow past its size: cutting the old tag off works, writing a larger new
  // one fails, and putting the old one back fits again.
  test::WriteBytes(Media("a.ape"), "MAC " + test::AudioBytes(3000) +
                                       RenderId3v1Trailer({{"Title", "kept"}, {"Track", "3"}}));
  const std::string original = ReadBytes(Media("a.ape"));
  ListAndSelect({0});
  const int changed = test::RunWithFileSizeLimit(static_cast<std::int64_t>(original.size()), [&] {
    Trigger("ChangeTagTypeMApe");
    return Report(ui, "a.ape", window->State().files.Get(0));
  });
  EXPECT_EQ(changed, 1 + 10 + 20 * (kTagId3v1 + 1));
  EXPECT_EQ(ReadBytes(Media("a.ape")), original);

  // The same for a save: the tag grows, the write fails and the old tag is written back.
  test::WriteApeFile(Media("a.ape"), {{"Title", "kept"}, {"Artist", "A"}});
  const std::string ape = ReadBytes(Media("a.ape"));
  ClickFolder(media.path() + "/");
  SelectRows({0});
  const int saved = test::RunWithFileSizeLimit(static_cast<std::int64_t>(ape.size()), [&] {
    ui.Next<TTagEditForm>([](TTagEditForm& form) {
      form.SetTicked(Field::Title, true);
      form.SetText(Field::Title, "a much longer title than before");
      return Press(form.Edit_OkBtn);
    });
    ClickTool("TagEditToolButton");
    const TAbstractTag& entry = window->State().files.Get(0);
    const bool shownOld = ColumnTexts(0) == QStringList{"kept"} && entry.GetField("Title") == "kept";
    return Report(ui, "a.ape", entry) + (shownOld ? 100 : 0);
  });
  EXPECT_EQ(saved, 100 + 1 + 10 + 20 * (kTagApe + 1));
  EXPECT_EQ(ReadBytes(Media("a.ape")), ape);
}

TEST_F(TagCommandTest, AFileMadeReadOnlyInTheMiddleOfThreeGetsOneMessageAndTheOthersAreConverted) {
  // The commands run in a child to which permissions apply (root ignores them); the files
  // stay writable for that child except the one another program made read-only.
  ASSERT_EQ(chmod(media.path().c_str(), 0777), 0);
  for (const char* name : {"a.ape", "b.ape", "c.ape"}) {
    test::WriteApeFile(Media(name), {{"Title", name}});
    ASSERT_EQ(chmod(Media(name).c_str(), 0666), 0);
  }
  ListAndSelect({0, 1, 2});
  ASSERT_EQ(chmod(Media("b.ape").c_str(), 0444), 0);
  const std::string before = ReadBytes(Media("b.ape"));
  const int converted = RunCommandUnprivileged(*window, [&] {
    Trigger("TagTypeID3v1");
    const bool othersMarked = MarkOf(0) == kTagId3v1 && MarkOf(1) == kTagApe && MarkOf(2) == kTagId3v1;
    return Report(ui, "b.ape", window->State().files.Get(1)) + (othersMarked ? 100 : 0);
  });
  EXPECT_EQ(converted, 100 + 1 + 10 + 20 * (kTagApe + 1));
  EXPECT_EQ(ReadBytes(Media("b.ape")), before);
  for (const char* name : {"a.ape", "c.ape"}) {
    EXPECT_EQ(KindOf(Media(name)), kTagId3v1) << name;
    EXPECT_EQ(CreateTagForFile(Media(name))->GetField("Title"), name);
  }
}

TEST_F(TagCommandTest, AnOggFileWithoutRoomBesideItIsReportedAndTheOtherKindsAreSaved) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "old"}});
  test::WriteId3v1File(Media("b.mp3"), {{"Title", "old"}});
  test::WriteOggFile(Media("c.ogg"), {"TITLE=old"});
  for (const char* name : {"a.ape", "b.mp3", "c.ogg"}) ASSERT_EQ(chmod(Media(name).c_str(), 0666), 0);
  const std::string ogg = ReadBytes(Media("c.ogg"));
  ListAndSelect({0, 1, 2});
  const auto saveTitle = [this](const char* title) {
    NextEditSets(Field::Title, title);
    ClickTool("TagEditToolButton");
  };

  // A folder without write permission: the APE and ID3v1 tags are rewritten inside their
  // files, the Ogg file is rebuilt beside itself.
  ASSERT_EQ(chmod(media.path().c_str(), 0555), 0);
  const int saved = RunCommandUnprivileged(*window, [&] {
    saveTitle("new");
    const bool rows = ColumnTexts(0) == QStringList{"new", "new", "old"};
    return Report(ui, "c.ogg", window->State().files.Get(2)) + (rows ? 100 : 0);
  });
  ASSERT_EQ(chmod(media.path().c_str(), 0777), 0);
  EXPECT_EQ(saved, 100 + 1 + 10 + 20 * (kTagOgg + 1));
  EXPECT_EQ(FieldsOf(Media("a.ape")), (FieldList{{"Title", "new"}}));
  EXPECT_EQ(CreateTagForFile(Media("b.mp3"))->GetField("Title"), "new");
  EXPECT_EQ(ReadBytes(Media("c.ogg")), ogg);
  EXPECT_EQ(std::distance(fs::directory_iterator(media.path()), fs::directory_iterator()), 3);

  // A backup that an older version left beside the file is no concern of the save.
  test::WriteBytes(Media("c.ogg.src"), "an earlier backup");
  ClickFolder(media.path() + "/");
  SelectRows({0, 1, 2});
  saveTitle("newer");
  EXPECT_TRUE(ui.boxes.texts().empty());
  EXPECT_EQ(CreateTagForFile(Media("c.ogg"))->GetField("Title"), "newer");
  EXPECT_EQ(ReadBytes(Media("c.ogg.src")), "an earlier backup");
  EXPECT_EQ(ColumnTexts(0), (QStringList{"newer", "newer", "newer", ""}));
}

TEST_F(TagCommandTest, ASaveThatCannotCutTheOldTagOffSaysSoAndTheRowKeepsWhatTheFileHolds) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "kept"}});
  ListAndSelect({0});
  fs::rename(Media("a.ape"), Media("a.away"));
  fs::create_directory(Media("a.ape"));
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    form.SetTicked(Field::Title, true);
    form.SetText(Field::Title, "lost");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  EXPECT_EQ(ui.boxes.texts(), std::vector<std::string>{AccessText("a.ape")});
  EXPECT_EQ(ColumnTexts(0), QStringList{"kept"});
}

TEST_F(TagCommandTest, TextThatShiftJisCannotHoldIsRefusedAndTheBoxesKeepWhatWasTyped) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "kept"}, {"Year", "2001"}});
  const std::string before = ReadBytes(Media("a.ape"));
  ListAndSelect({0});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    form.SetTicked(Field::Title, true);
    form.Edit_TitleEdit->setText("한국어");
    EXPECT_EQ(Press(form.Edit_OkBtn), 0);
    EXPECT_TRUE(form.isVisible());

    form.Edit_YearEdit->setText("20x3");
    QTest::mouseClick(form.Edit_YearUpDown->arrow(UpDown::Direction::Up), Qt::LeftButton);
    EXPECT_EQ(form.Edit_YearEdit->text(), "20x3");
    EXPECT_TRUE(form.IsTicked(Field::Title));
    return Press(form.Edit_CancelBtn);
  });
  QSignalSpy redrawn(&window->Model(), &QAbstractItemModel::dataChanged);
  ClickTool("TagEditToolButton");
  ASSERT_EQ(ui.boxes.shown.size(), 2u);
  EXPECT_EQ(ui.boxes.shown[0].text, "Title に Shift-JIS で表せない文字が含まれています。");
  EXPECT_EQ(ui.boxes.shown[1].text, "数次以外の文字が存在する");
  EXPECT_EQ(ui.boxes.shown[1].style, 0);
  EXPECT_EQ(ReadBytes(Media("a.ape")), before);
  EXPECT_EQ(redrawn.size(), 0);
}

TEST_F(TagCommandTest, OneFileIsPreFilledAndItsLineBreaksStayWhenTheCommentIsNotChanged) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "\x91\xE8"},
                                      {"Artist", "A"},
                                      {"Album", "B"},
                                      {"Comment", "one\r\ntwo"},
                                      {"Year", "2003"},
                                      {"Genre", "jAZZ"},
                                      {"Track", "7"}});
  ListAndSelect({0});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    EXPECT_EQ(form.Text(Field::Title), "題");
    EXPECT_EQ(form.Text(Field::Artist), "A");
    EXPECT_EQ(form.Text(Field::Album), "B");
    EXPECT_EQ(form.Edit_CommentMemo->document()->blockCount(), 2);
    EXPECT_EQ(form.Text(Field::Year), "2003");
    EXPECT_EQ(form.Text(Field::Track), "7");
    EXPECT_EQ(form.Edit_GenreComboBox->currentText(), "Jazz");
    EXPECT_EQ(form.Text(Field::Genre), "Jazz");
    for (Field field : TTagEditForm::kFields) EXPECT_FALSE(form.IsTicked(field));
    // Entering the memo ticks the comment without changing it.
    QTest::mouseClick(form.Edit_CommentMemo->viewport(), Qt::LeftButton);
    EXPECT_TRUE(form.IsTicked(Field::Comment));
    form.SetTicked(Field::Track, true);
    form.SetText(Field::Track, "8");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  EXPECT_EQ(CreateTagForFile(Media("a.ape"))->GetField("Comment"), "one\r\ntwo");
  EXPECT_EQ(CreateTagForFile(Media("a.ape"))->GetField("Track"), "8");

  // A comment typed anew is written with CR LF line breaks, as tags hold them.
  SelectRows({0});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    QTest::mouseClick(form.Edit_CommentMemo->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Edit_CommentMemo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form.Edit_CommentMemo, "three");
    QTest::keyClick(form.Edit_CommentMemo, Qt::Key_Return);
    QTest::keyClicks(form.Edit_CommentMemo, "four");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  EXPECT_EQ(CreateTagForFile(Media("a.ape"))->GetField("Comment"), "three\r\nfour");
}

// What a save writes as the genre is what the genre box showed: a name that is no list entry
// comes back as it was from a focus and a confirm, a typed name is written, an emptied box
// writes an empty genre, and the placeholder that nobody typed over writes nothing.
TEST_F(TagCommandTest, TheGenreSavedIsWhatTheGenreBoxShowed) {
  struct Case {
    std::initializer_list<int> rows;
    const char* typed;  // nullptr: only a click into the box
    std::vector<std::string> genres;  // of a.ape, b.ape, c.mp3 afterwards
  };
  const Case cases[] = {
      {{0}, nullptr, {"J-Pop", "Pop", "Rock"}},
      {{0, 1, 2}, nullptr, {"J-Pop", "Pop", "Rock"}},
      {{1}, "J-Pop", {"J-Pop", "J-Pop", "Rock"}},
      {{1}, "", {"J-Pop", "", "Rock"}},
      {{0, 2}, "Jazz", {"Jazz", "", "Jazz"}},
  };
  test::WriteApeFile(Media("a.ape"), {{"Title", "a"}, {"Genre", "J-Pop"}});
  test::WriteApeFile(Media("b.ape"), {{"Title", "b"}, {"Genre", "Pop"}});
  test::WriteId3v1File(Media("c.mp3"), {{"Title", "c"}, {"Genre", "Rock"}});
  const char* const names[] = {"a.ape", "b.ape", "c.mp3"};
  ListAndSelect({});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "(focus only)");
    const std::vector<std::string> before = {ReadBytes(Media("a.ape")), ReadBytes(Media("b.ape")),
                                             ReadBytes(Media("c.mp3"))};
    // One file opens with its genre in the box, a list entry or not.
    const QString shown =
        c.rows.size() == 1
            ? QString::fromStdString(CreateTagForFile(Media(names[*c.rows.begin()]))->GetField("Genre"))
            : QString();
    SelectRows(c.rows);
    ui.Next<TTagEditForm>([&c, &shown](TTagEditForm& form) {
      QComboBox* genres = form.Edit_GenreComboBox;
      EXPECT_EQ(genres->lineEdit()->text(), shown);
      QTest::mouseClick(genres->lineEdit(), Qt::LeftButton);
      if (c.typed) {
        QTest::keyClick(genres, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(genres, Qt::Key_Delete);
        QTest::keyClicks(genres, QString::fromUtf8(c.typed));
      }
      return Press(form.Edit_OkBtn);
    });
    ClickTool("TagEditToolButton");
    EXPECT_TRUE(ui.boxes.shown.empty());
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(CreateTagForFile(Media(names[i]))->GetField("Genre"), c.genres[i]) << names[i];
      // Without typing, every file keeps every byte.
      if (!c.typed) {
        EXPECT_EQ(ReadBytes(Media(names[i])), before[i]) << names[i];
      }
    }
    EXPECT_EQ(ColumnTexts(6), (QStringList{QString::fromStdString(c.genres[0]),
                                           QString::fromStdString(c.genres[1]),
                                           QString::fromStdString(c.genres[2])}));
  }
}

// An ID3v1 trailer holds a genre as a byte of its table: with such a file selected, a typed
// name the table lacks is refused naming the field and the dialog stays open; a spelling the
// table knows is taken, and each file then shows what it holds.
TEST_F(TagCommandTest, AGenreAnId3v1TagCannotHoldIsRefusedAndTheDialogStaysOpen) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "a"}, {"Genre", "Pop"}});
  test::WriteId3v1File(Media("b.mp3"), {{"Title", "b"}, {"Genre", "Rock"}});
  const std::string ape = ReadBytes(Media("a.ape"));
  const std::string mp3 = ReadBytes(Media("b.mp3"));
  ListAndSelect({0, 1});
  ui.Next<TTagEditForm>([&](TTagEditForm& form) {
    QComboBox* genres = form.Edit_GenreComboBox;
    QTest::mouseClick(genres->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(genres, "J-Pop");
    EXPECT_EQ(Press(form.Edit_OkBtn), 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(genres->hasFocus());
    EXPECT_EQ(ReadBytes(Media("a.ape")), ape);
    EXPECT_EQ(ReadBytes(Media("b.mp3")), mp3);
    QTest::keyClick(genres, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(genres, "drum & bass");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  ASSERT_EQ(ui.boxes.shown.size(), 1u);
  EXPECT_EQ(ui.boxes.shown[0].text, "Genre に ID3v1 タグのジャンルにない名前が指定されています。");
  EXPECT_EQ(ui.boxes.shown[0].caption, "謹警");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x30);
  EXPECT_EQ(CreateTagForFile(Media("a.ape"))->GetField("Genre"), "drum & bass");
  const std::string stored = CreateTagForFile(Media("b.mp3"))->GetField("Genre");
  EXPECT_EQ(stored, GenreName(127));
  EXPECT_EQ(ColumnTexts(6), (QStringList{"drum & bass", QString::fromStdString(stored)}));

}

// After a type change or a save, a written row shows what its file holds (an ID3v1 trailer
// cuts a long comment or title), and the selection stays.
TEST_F(TagCommandTest, WrittenRowsShowWhatTheirFilesHoldAndTheSelectionStays) {
  const std::string longComment = "a comment longer than twenty-eight bytes";
  test::WriteApeFile(Media("a.ape"), {{"Title", "a"}, {"Comment", longComment}});
  test::WriteApeFile(Media("b.ape"), {{"Title", "b"}});
  test::WriteApeFile(Media("c.ape"), {{"Title", "c"}, {"Comment", longComment}});
  ListAndSelect({0, 2});
  window->State().settings.DataTypeCheck = false;
  Trigger("TagTypeID3v1");
  const QString cut = QString::fromStdString(longComment.substr(0, 28));
  EXPECT_EQ(ColumnTexts(4), (QStringList{cut, "", cut}));
  EXPECT_EQ(window->State().files.Get(0).GetField("Comment"), longComment.substr(0, 28));
  EXPECT_EQ(MarkOf(0), kTagId3v1);
  EXPECT_EQ(MarkOf(1), kTagApe);
  EXPECT_EQ(window->SelectedRows(), (std::vector<int>{0, 2}));

  const std::string longTitle = "a title that is longer than thirty bytes";
  NextEditSets(Field::Title, QString::fromStdString(longTitle));
  ClickTool("TagEditToolButton");
  const QString cutTitle = QString::fromStdString(longTitle.substr(0, 30));
  EXPECT_EQ(ColumnTexts(0), (QStringList{cutTitle, "b", cutTitle}));
  EXPECT_EQ(window->SelectedRows(), (std::vector<int>{0, 2}));
}

TEST_F(TagCommandTest, OneFileWithoutATagAnsweredNoIsAskedAgainByNameAndNotWritten) {
  test::WriteApeDataFile(Media("a.ape"));
  const std::string before = ReadBytes(Media("a.ape"));
  ListAndSelect({0});
  ui.boxes.answers = {kResultNo, kResultNo};
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    for (Field field : TTagEditForm::kFields) EXPECT_EQ(form.Text(field), "");
    form.SetTicked(Field::Title, true);
    form.SetText(Field::Title, "t");
    return Press(form.Edit_OkBtn);
  });
  ClickTool("TagEditToolButton");
  EXPECT_EQ(ui.boxes.texts(),
            (std::vector<std::string>{std::string("現在このファイル") + (kNoKindQuestion + 1),
                                      std::string("a.ape") + kNoKindQuestion}));
  EXPECT_EQ(ReadBytes(Media("a.ape")), before);
  EXPECT_EQ(ColumnTexts(0), QStringList{""});
}

// A stop signal in the middle of a save over several files: the file in hand is finished,
// no other one is begun, and the window then closes without asking.
TEST_F(TagCommandTest, AStopSignalInTheMiddleOfASaveEndsItAfterTheFileInHand) {
  test::WriteApeFile(Media("a.ape"), {{"Title", "old"}});
  test::WriteApeDataFile(Media("b.ape"));
  test::WriteApeFile(Media("c.ape"), {{"Title", "old"}});
  const std::string c = ReadBytes(Media("c.ape"));
  ListAndSelect({0, 1, 2});
  // The signal comes while b.ape, which has no tag, is asked about.
  ui.onShow = [this](const std::string&) { window->CloseOnStopSignal(); };
  ui.boxes.answers = {kResultNo};
  NextEditSets(Field::Title, "new");
  ClickTool("TagEditToolButton");
  EXPECT_EQ(ui.boxes.texts(), std::vector<std::string>{std::string("b.ape") + kNoKindQuestion});
  EXPECT_EQ(CreateTagForFile(Media("a.ape"))->GetField("Title"), "new");
  EXPECT_EQ(ReadBytes(Media("c.ape")), c);
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ui.boxes.shown.size(), 1u) << "the close question was asked";
}

}  // namespace
}  // namespace marlinote
