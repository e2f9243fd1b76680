#pragma once

#include <QString>

#include <cstddef>
#include <string>

#include "mainwindow/batch_run.h"

namespace marlinote {

// What the list shows: "1,234 個のファイル - /home/me/Music", with " 以下 (再帰検索)" after
// the folder for a recursive search.
QString ListingText(int files, const std::string& folder, bool recursive);

// A scan under way: "検索中... 12 ディレクトリ、3,456 個のファイル - /home/me/Music".
QString ScanningText(std::size_t folders, std::size_t files, const std::string& folder,
                     bool recursive);

// A scan that the user stopped: "検索を中止しました: 3,456 個のファイル - ...".
QString StoppedText(int files, const std::string& folder, bool recursive);

// Appended when folders or files could not be read: " (読み取れない項目 2 個)".
QString UnreadableText(std::size_t count);

// After a save or type change: "タグの編集: 3 個のファイルに書き込みました。失敗 1 個", and
// when it was stopped, "中止しました。" first and how many files were left at the end.
QString BatchText(const BatchOutcome& outcome);

}  // namespace marlinote
