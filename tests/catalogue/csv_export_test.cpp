#include "catalogue/csv_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/support/file_bytes.h"
#include "tests/support/shell.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TAbstractTag& AddEntry(TTagList& list, const std::string& path, const FieldList& fields) {
  auto tag = std::make_unique<TAbstractTag>();
  tag->SetFilePath(path);
  for (const TagField& f : fields) tag->SetField(f.key, f.value);
  list.Add(std::move(tag));
  return list.Get(list.Count() - 1);
}

ColumnArray OnlyEnabled(std::initializer_list<int> enabled) {
  ColumnArray columns = DefaultColumnTable();
  for (ColumnEntry& column : columns) column.Enabled = false;
  for (int c : enabled) columns[c].Enabled = true;
  return columns;
}

TEST(Csv, QuotesEveryCellAndEndsEveryLineWithCrLf) {
  TTagList list;
  AddEntry(list, "/music/a.mp3", {{"Title", "Song"}});
  EXPECT_EQ(BuildCsv(list, OnlyEnabled({kColumnFileName, kColumnYear})),
            "\"Title\",\"FileName\",\"Year\"\r\n"
            "\"Song\",\"a.mp3\",\"\"\r\n");

  // The Title column is always written, whatever its flag; header words are fixed.
  ColumnArray all = DefaultColumnTable();
  all[kColumnTitle].Enabled = false;
  all[kColumnArtist].Name = "Someone's caption";
  AddEntry(list, "/music/b.ogg", {{"Artist", "Art"}, {"Album", "Alb"}, {"Comment", "Com"},
                                  {"Year", "1999"}, {"Genre", "Rock"}, {"Track", "7"}, {"Title", "T"}});
  EXPECT_EQ(BuildCsv(list, all),
            "\"Title\",\"FileName\",\"Artist\",\"Album\",\"Comment\",\"Year\",\"Genre\",\"Track\"\r\n"
            "\"Song\",\"a.mp3\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
            "\"T\",\"b.ogg\",\"Art\",\"Alb\",\"Com\",\"1999\",\"Rock\",\"7\"\r\n");
  EXPECT_EQ(BuildCsv(list, OnlyEnabled({})), "\"Title\"\r\n\"Song\"\r\n\"T\"\r\n");
}

TEST(Csv, FileNamesAreWrittenInCodePage932) {
  TTagList list;
  AddEntry(list, "/music/曲☃.mp3", {});
  // 曲 is 8B C8; ☃ has no code page 932 form and becomes a space.
  EXPECT_EQ(BuildCsv(list, OnlyEnabled({kColumnFileName})),
            "\"Title\",\"FileName\"\r\n\"\",\"\x8b\xc8 .mp3\"\r\n");
}

TEST(Csv, ValuesWithQuotesCommasAndLineBreaksReadBackWithPythonsCsvModule) {
  TempDir dir;
  TTagList list;
  AddEntry(list, "/music/a,b.mp3", {{"Title", "He said \"hi\", twice"}, {"Comment", "line 1\r\nline 2\n\"end\""}});
  AddEntry(list, "/music/c.mp3", {{"Title", "\x8b\xc8"}});
  const std::string csv = dir.file("out.csv");
  ASSERT_EQ(ExportCsv(csv, list, OnlyEnabled({kColumnFileName, kColumnComment})), WriteResult::kOk);

  WriteBytes(dir.file("read.py"),
             "import csv, json, sys\n"
             "with open(sys.argv[1], newline='', encoding='cp932') as f:\n"
             "    print(json.dumps(list(csv.reader(f))))\n");
  const test::Shell python =
      test::RunShell(std::string(test::kPython) + " " + dir.file("read.py") + " " + csv);
  EXPECT_EQ(python.status, 0);
  EXPECT_EQ(python.out,
            "[[\"Title\", \"FileName\", \"Comment\"], "
            "[\"He said \\\"hi\\\", twice\", \"a,b.mp3\", \"line 1\\r\\nline 2\\n\\\"end\\\"\"], "
            "[\"\\u66f2\", \"c.mp3\", \"\"]]\n");
}

TEST(Csv, AFailedExportKeepsTheFormerFileAndNamesTheFailure) {
  TempDir dir;
  TTagList list;
  AddEntry(list, "/music/a.mp3", {{"Title", std::string(100, 't')}});
  const std::string missing = dir.file("missing/out.csv");
  EXPECT_EQ(ExportCsv(missing, list, DefaultColumnTable()), WriteResult::kCannotCreate);
  // Whatever kept the file from being made, the window says it could not be made.
  for (const WriteResult notMade :
       {WriteResult::kCannotCreate, WriteResult::kLinkRefused, WriteResult::kNotRegularFile})
    EXPECT_EQ(CsvFailureText(notMade, missing), "ファイル " + missing + " を作成できません");

  const std::string csv = dir.file("out.csv");
  WriteBytes(csv, "former");
  const int result = test::RunWithFileSizeLimit(
      50, [&] { return static_cast<int>(ExportCsv(csv, list, DefaultColumnTable())); });
  EXPECT_EQ(result, static_cast<int>(WriteResult::kWriteFailed));
  EXPECT_EQ(CsvFailureText(WriteResult::kWriteFailed, csv), "ストリームへの書き込みエラー");
  EXPECT_EQ(ReadBytes(csv), "former");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace marlinote
