#pragma once

#include <QString>

#include <array>
#include <functional>
#include <string>

#include "dialogs/modal_form.h"
#include "dialogs/up_down.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace marlinote {

class MessageBoxes;

// "タグの編集": new values for the seven fields of the selected files, each with a check box
// that says whether the field is written at all. The dialog writes nothing itself; the caller
// presets it, runs it and, on 1, reads the fields to write. "書換え実行" gives 1 only when every
// value to write can be stored: in code page 932, and a genre by the caller's test (a tag that
// holds genres as bytes of a table); "中止" and the close box give 2.
class TTagEditForm : public ModalForm {
  Q_OBJECT

 public:
  // The fields in the order in which they are written.
  enum class Field { Title, Artist, Album, Comment, Year, Genre, Track };
  static constexpr std::array<Field, 7> kFields = {Field::Title,   Field::Artist, Field::Album,
                                                   Field::Comment, Field::Year,   Field::Genre,
                                                   Field::Track};
  // The tag key that a field is written under ("Title", ..., "Track").
  static const char* FieldKey(Field field);

  TTagEditForm(QWidget* owner, MessageBoxes& messages);

  // What the input shows: the memo's text with its line breaks as CR LF; for Genre the
  // entry chosen from the list or the text typed, empty while the placeholder shows.
  QString Text(Field field) const;
  // For Genre: selects the first entry equal to the text, ignoring letter case; a text that
  // is no entry is shown as it is, and an empty one leaves the placeholder.
  // A text left as it was set is taken back unchanged on "書換え実行", even when it shows a
  // byte that code page 932 does not define: the caller writes the file's own bytes.
  void SetText(Field field, const QString& text);
  bool IsTicked(Field field) const;
  void SetTicked(Field field, bool ticked);
  // Whether the field is to be written: ticked, and for Genre not the placeholder that nobody
  // typed over or chose an entry for (the focus alone ticks Genre).
  bool Writes(Field field) const;
  // Refuses on "書換え実行" a genre to write for which `holds` is false, with a message naming
  // the field; `holds` gets the genre's code page 932 bytes. Without it any genre is taken.
  void SetGenreTest(std::function<bool(const std::string&)> holds);

  QPushButton* const Edit_OkBtn;
  QPushButton* const Edit_CancelBtn;
  QCheckBox* const Edit_TitleCheck;
  QLineEdit* const Edit_TitleEdit;
  QCheckBox* const Edit_ArtistCheck;
  QLineEdit* const Edit_ArtistEdit;
  QCheckBox* const Edit_AlbumCheck;
  QLineEdit* const Edit_AlbumEdit;
  QCheckBox* const Edit_CommentCheck;
  QPlainTextEdit* const Edit_CommentMemo;
  QCheckBox* const Edit_YearCheck;
  QLineEdit* const Edit_YearEdit;
  UpDown* const Edit_YearUpDown;
  QCheckBox* const Edit_GenreCheck;
  QComboBox* const Edit_GenreComboBox;
  QCheckBox* const Edit_TrackCheck;
  QLineEdit* const Edit_TrackEdit;
  UpDown* const Edit_TrackUpDown;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Row {
    QCheckBox* check;
    QWidget* input;
  };

  void FormCreate();
  void Edit_GenreEdited();
  void Edit_AllEditEnter(QWidget* sender);
  void Edit_UpDownClick(UpDown* sender, UpDown::Direction button);
  void Edit_OkBtnClick();
  const Row& RowOf(Field field) const { return rows_[static_cast<int>(field)]; }

  MessageBoxes& messages_;
  // The texts the caller set, which hand the file's own bytes back when left as they are.
  std::array<QString, 7> presets_;
  // Whether the user typed into the genre box or chose an entry since it was last set.
  bool genreEdited_ = false;
  std::function<bool(const std::string&)> genreHolds_;
  const std::array<Row, 7> rows_;
};

}  // namespace marlinote
