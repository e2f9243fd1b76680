#pragma once

#include <QString>

#include <array>

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
// presets it, runs it and, on 1, reads the ticked fields. "書換え実行" gives 1 only when every
// ticked value can be stored in code page 932; "中止" and the close box give 2.
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

  // The input's text (the memo's with its line breaks); for Genre the text of the selected
  // entry of the genre list, empty when none is selected. Text typed freely into the genre
  // box is never returned.
  QString Text(Field field) const;
  // For Genre: selects the first entry equal to the text, ignoring letter case, or none.
  // A text left as it was set is taken back unchanged on "書換え実行", even when it shows a
  // byte that code page 932 does not define: the caller writes the file's own bytes.
  void SetText(Field field, const QString& text);
  bool IsTicked(Field field) const;
  void SetTicked(Field field, bool ticked);
  // Selects entry `index` of the genre list; -1 selects none.
  void SelectGenre(int index);

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
  void Edit_AllEditEnter(QWidget* sender);
  void Edit_UpDownClick(UpDown* sender, UpDown::Direction button);
  void Edit_OkBtnClick();
  const Row& RowOf(Field field) const { return rows_[static_cast<int>(field)]; }

  MessageBoxes& messages_;
  // The texts the caller set, which hand the file's own bytes back when left as they are.
  std::array<QString, 7> presets_;
  const std::array<Row, 7> rows_;
};

}  // namespace marlinote
