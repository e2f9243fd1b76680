#include "dialogs/tag_edit_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdint>
#include <limits>
#include <optional>

#include "dialogs/local_text.h"
#include "platform/message_box.h"
#include "tags/genre_table.h"
#include "tags/tag_field.h"

namespace marlinote {

namespace {

constexpr const char* kNotANumber = "数次以外の文字が存在する";
const QString kGenrePlaceholder = QStringLiteral("ジャンル指定");

// A signed 32-bit decimal number: blanks before it, at most one sign, then nothing but
// digits.
std::optional<std::int32_t> ParseDecimal(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return std::nullopt;
    magnitude = magnitude * 10 + (c - u'0');
    if (magnitude > kLimit) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

const char* TTagEditForm::FieldKey(Field field) {
  static constexpr const char* kKeys[] = {field::kTitle, field::kArtist, field::kAlbum,
                                          field::kComment, field::kYear, field::kGenre,
                                          field::kTrack};
  return kKeys[static_cast<int>(field)];
}

TTagEditForm::TTagEditForm(QWidget* owner, MessageBoxes& messages)
    : ModalForm(owner, QStringLiteral("タグの編集"), 482, 287),
      Edit_OkBtn(PlaceButton(this, "Edit_OkBtn", {248, 256, 75, 25}, QStringLiteral("書換え実行"))),
      Edit_CancelBtn(
          PlaceButton(this, "Edit_CancelBtn", {368, 256, 75, 25}, QStringLiteral("中止"))),
      Edit_TitleCheck(
          Place<QCheckBox>(this, "Edit_TitleCheck", {8, 8, 97, 17}, QStringLiteral("Title"))),
      Edit_TitleEdit(Place<QLineEdit>(this, "Edit_TitleEdit", {16, 32, 201, 20})),
      Edit_ArtistCheck(
          Place<QCheckBox>(this, "Edit_ArtistCheck", {8, 72, 97, 17}, QStringLiteral("Artist"))),
      Edit_ArtistEdit(Place<QLineEdit>(this, "Edit_ArtistEdit", {16, 96, 201, 20})),
      Edit_AlbumCheck(
          Place<QCheckBox>(this, "Edit_AlbumCheck", {8, 136, 97, 17}, QStringLiteral("Album"))),
      Edit_AlbumEdit(Place<QLineEdit>(this, "Edit_AlbumEdit", {16, 160, 201, 20})),
      Edit_CommentCheck(
          Place<QCheckBox>(this, "Edit_CommentCheck", {240, 8, 97, 17}, QStringLiteral("Coment"))),
      Edit_CommentMemo(Place<QPlainTextEdit>(this, "Edit_CommentMemo", {248, 32, 225, 145})),
      Edit_YearCheck(
          Place<QCheckBox>(this, "Edit_YearCheck", {8, 200, 97, 17}, QStringLiteral("Year"))),
      Edit_YearEdit(Place<QLineEdit>(this, "Edit_YearEdit", {16, 224, 97, 20})),
      Edit_YearUpDown(Place<UpDown>(this, "Edit_YearUpDown", {112, 224, 16, 20}, 0, 1000, 500)),
      Edit_GenreCheck(
          Place<QCheckBox>(this, "Edit_GenreCheck", {168, 200, 97, 17}, QStringLiteral("Genre"))),
      Edit_GenreComboBox(Place<QComboBox>(this, "Edit_GenreComboBox", {176, 224, 121, 20})),
      Edit_TrackCheck(
          Place<QCheckBox>(this, "Edit_TrackCheck", {336, 200, 81, 17}, QStringLiteral("Track"))),
      Edit_TrackEdit(Place<QLineEdit>(this, "Edit_TrackEdit", {344, 224, 97, 20})),
      Edit_TrackUpDown(Place<UpDown>(this, "Edit_TrackUpDown", {440, 224, 16, 20}, 0, 1000, 500)),
      messages_(messages),
      rows_{{{Edit_TitleCheck, Edit_TitleEdit},
             {Edit_ArtistCheck, Edit_ArtistEdit},
             {Edit_AlbumCheck, Edit_AlbumEdit},
             {Edit_CommentCheck, Edit_CommentMemo},
             {Edit_YearCheck, Edit_YearEdit},
             {Edit_GenreCheck, Edit_GenreComboBox},
             {Edit_TrackCheck, Edit_TrackEdit}}} {
  // Enter starts a new line in the memo; Tab leaves it.
  Edit_CommentMemo->setTabChangesFocus(true);
  Edit_GenreComboBox->setEditable(true);
  // Typed text must never become an entry of the list.
  Edit_GenreComboBox->setInsertPolicy(QComboBox::NoInsert);
  Edit_GenreComboBox->lineEdit()->setPlaceholderText(kGenrePlaceholder);
  // A wheel turned over the box while another control has the focus neither takes the focus
  // (which would tick Genre) nor changes the genre.
  Edit_GenreComboBox->setFocusPolicy(Qt::StrongFocus);
  FormCreate();
  connect(Edit_GenreComboBox->lineEdit(), &QLineEdit::textEdited, this,
          &TTagEditForm::Edit_GenreEdited);
  connect(Edit_GenreComboBox, &QComboBox::activated, this, &TTagEditForm::Edit_GenreEdited);

  for (const Row& row : rows_) row.input->installEventFilter(this);
  for (UpDown* upDown : {Edit_YearUpDown, Edit_TrackUpDown})
    connect(upDown, &UpDown::clicked, this,
            [this, upDown](UpDown::Direction button) { Edit_UpDownClick(upDown, button); });
  connect(Edit_OkBtn, &QPushButton::clicked, this, &TTagEditForm::Edit_OkBtnClick);
  CloseOn(Edit_CancelBtn, kResultCancel);

  SetTabOrder({Edit_OkBtn, Edit_CancelBtn, Edit_TitleEdit, Edit_TitleCheck, Edit_ArtistEdit,
               Edit_ArtistCheck, Edit_AlbumEdit, Edit_AlbumCheck, Edit_CommentMemo,
               Edit_CommentCheck, Edit_YearEdit, Edit_YearCheck, Edit_YearUpDown,
               Edit_GenreComboBox, Edit_GenreCheck, Edit_TrackEdit, Edit_TrackCheck,
               Edit_TrackUpDown});
  // The dialog opens with the focus on the confirm button, so no field is ticked by opening.
  Edit_OkBtn->setFocus();
}

void TTagEditForm::FormCreate() {
  for (int i = 0; i < kGenreCount; ++i) {
    const std::string name = GenreName(i);
    if (!name.empty()) Edit_GenreComboBox->addItem(FromLocal(name));
  }
  Edit_GenreComboBox->setCurrentIndex(-1);
}

QString TTagEditForm::Text(Field field) const {
  switch (field) {
    case Field::Comment:
      // The memo gives its line breaks as LF; stored tags and the programs that read them
      // expect CR LF.
      return Edit_CommentMemo->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
    case Field::Genre:
      return Edit_GenreComboBox->currentText();
    default:
      return static_cast<QLineEdit*>(RowOf(field).input)->text();
  }
}

void TTagEditForm::SetText(Field field, const QString& text) {
  switch (field) {
    case Field::Comment:
      Edit_CommentMemo->setPlainText(text);
      break;
    case Field::Genre:
      Edit_GenreComboBox->setCurrentIndex(Edit_GenreComboBox->findText(text, Qt::MatchFixedString));
      if (Edit_GenreComboBox->currentIndex() < 0) Edit_GenreComboBox->setEditText(text);
      Edit_GenreComboBox->lineEdit()->setPlaceholderText(kGenrePlaceholder);
      genreEdited_ = false;
      break;
    default:
      static_cast<QLineEdit*>(RowOf(field).input)->setText(text);
  }
  presets_[static_cast<std::size_t>(field)] = Text(field);
}

bool TTagEditForm::IsTicked(Field field) const { return RowOf(field).check->isChecked(); }

void TTagEditForm::SetTicked(Field field, bool ticked) { RowOf(field).check->setChecked(ticked); }

bool TTagEditForm::Writes(Field field) const {
  if (!IsTicked(field)) return false;
  return field != Field::Genre || genreEdited_ || !Text(field).isEmpty();
}

void TTagEditForm::SetGenreTest(std::function<bool(const std::string&)> holds) {
  genreHolds_ = std::move(holds);
}

void TTagEditForm::Edit_GenreEdited() {
  genreEdited_ = true;
  // From now on an empty box means an empty genre, and shows as empty.
  Edit_GenreComboBox->lineEdit()->setPlaceholderText({});
}

bool TTagEditForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && watched == Edit_GenreComboBox &&
      !Edit_GenreComboBox->hasFocus()) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::FocusIn) {
    // The focus coming back with the window or from the genre list is no arrival.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      Edit_AllEditEnter(static_cast<QWidget*>(watched));
  }
  return ModalForm::eventFilter(watched, event);
}

void TTagEditForm::Edit_AllEditEnter(QWidget* sender) {
  for (const Row& row : rows_)
    if (row.input == sender) row.check->setChecked(true);
}

void TTagEditForm::Edit_UpDownClick(UpDown* sender, UpDown::Direction button) {
  QLineEdit* edit = sender == Edit_YearUpDown ? Edit_YearEdit : Edit_TrackEdit;
  const std::optional<std::int32_t> value = ParseDecimal(edit->text());
  if (!value) {
    messages_.ShowPlain(kNotANumber);
    return;
  }
  const std::int64_t next = std::int64_t{*value} + (button == UpDown::Direction::Up ? 1 : -1);
  // Stepping past the ends of the number range would give a number that the box refuses at
  // the next click.
  if (next < std::numeric_limits<std::int32_t>::min() ||
      next > std::numeric_limits<std::int32_t>::max())
    return;
  edit->setText(QString::number(next));
}

void TTagEditForm::Edit_OkBtnClick() {
  for (Field field : kFields) {
    if (!Writes(field)) continue;
    const QString text = Text(field);
    if (!text.isEmpty() && text == presets_[static_cast<std::size_t>(field)]) continue;
    const std::optional<std::string> local = ToLocal(text);
    const char* refusal = nullptr;
    if (!local)
      refusal = " に Shift-JIS で表せない文字が含まれています。";
    else if (field == Field::Genre && genreHolds_ && !genreHolds_(*local))
      refusal = " に ID3v1 タグのジャンルにない名前が指定されています。";
    if (!refusal) continue;
    const Row& row = RowOf(field);
    messages_.Show((row.check->text() + QString::fromUtf8(refusal)).toStdString(),
                   kCaptionWarning, kStyleWarning);
    row.input->setFocus();
    return;
  }
  done(kResultOk);
}

}  // namespace marlinote
