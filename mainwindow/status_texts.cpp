#include "mainwindow/status_texts.h"

#include <QFile>
#include <QLocale>

#include "foldertree/folder_path.h"
#include "foldertree/folder_view.h"

namespace marlinote {

namespace {

template <typename Number>
QString Count(Number n) {
  return QLocale().toString(static_cast<qlonglong>(n));
}

QString Where(const std::string& folder, bool recursive) {
  const QString shown = folder == TFolderView::kMyComputerPath
                            ? QStringLiteral("マイ コンピュータ")
                            : QFile::decodeName(QByteArray::fromStdString(
                                  folder_path::withoutTrailingSlash(folder)));
  return recursive ? shown + QStringLiteral(" 以下 (再帰検索)") : shown;
}

}  // namespace

QString ListingText(int files, const std::string& folder, bool recursive) {
  return QStringLiteral("%1 個のファイル - %2").arg(Count(files), Where(folder, recursive));
}

QString ScanningText(std::size_t folders, std::size_t files, const std::string& folder,
                     bool recursive) {
  return QStringLiteral("検索中... %1 ディレクトリ、%2 個のファイル - %3")
      .arg(Count(folders), Count(files), Where(folder, recursive));
}

QString StoppedText(int files, const std::string& folder, bool recursive) {
  return QStringLiteral("検索を中止しました: ") + ListingText(files, folder, recursive);
}

QString UnreadableText(std::size_t count) {
  return QStringLiteral(" (読み取れない項目 %1 個)").arg(Count(count));
}

QString BatchText(const BatchOutcome& outcome) {
  QString text = QString::fromStdString(outcome.caption) + QStringLiteral(": ");
  if (outcome.stopped) text += QStringLiteral("中止しました。");
  text += QStringLiteral("%1 個のファイルに書き込みました。失敗 %2 個")
              .arg(Count(outcome.written), Count(outcome.failed));
  if (outcome.stopped)
    text += QStringLiteral("、未処理 %1 個").arg(Count(outcome.files - outcome.done));
  return text;
}

}  // namespace marlinote
