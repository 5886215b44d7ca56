#include "app/common/text_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/app/support/file_bytes.h"

namespace {

TEST(TextFile, WritesCrLfUtf8AndReadsItBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.txt");
  TextFileWriter writer(path);
  writer.writeLine(QString::fromUtf8("Anfangslänge"));
  writer.writeLine(" .02 ");
  ASSERT_TRUE(writer.commit());
  EXPECT_EQ(fileBytes(path), QByteArray("Anfangsl\xC3\xA4nge\r\n .02 \r\n"));
  EXPECT_EQ(readTextLines(path), (QStringList{QString::fromUtf8("Anfangslänge"), " .02 "}));
}

TEST(TextFile, AnUncommittedOrFailedSaveLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("keep.txt");
  {
    TextFileWriter first(path);
    first.writeLine("old");
    ASSERT_TRUE(first.commit());
  }
  {
    TextFileWriter abandoned(path);
    abandoned.writeLine("new");
  }  // never committed, e.g. an error half way
  EXPECT_EQ(fileBytes(path), QByteArray("old\r\n"));
  TextFileWriter nowhere(dir.filePath("missing/dir/x.txt"));
  nowhere.writeLine("x");
  EXPECT_FALSE(nowhere.commit());
}

TEST(TextFile, ReadingFallsBackToWindows1252AndTakesAnyLineEnd) {
  EXPECT_EQ(decodeText(QByteArray("L\xF6schen \x80")), QString::fromUtf8("Löschen €"));
  EXPECT_EQ(splitLines("a\r\nb\nc\rd\r\n"), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("a\r\n\r\n"), (QStringList{"a", ""}));
  EXPECT_FALSE(readTextLines("/nonexistent/x.idp"));
}

}  // namespace
