#include "app/editor/result_export.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "tests/app/editor/table_texts.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

TEST(ResultExport, WritesTheHeaderAsRowZeroThenOneTabLinePerRowOnlyWhenCalculated) {
  FixedTexts texts;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  DriveDocument document;
  for (int i = 0; i < 101; ++i) document.results.appendRow({i * 3.6, 0.5, -1, 0, 0, 0, 1e-7});
  QTemporaryDir folder;
  ScriptedDialogs dialogs;
  dialogs.saveNames = {folder.filePath("hub.txt")};

  EXPECT_FALSE(ExportBerechnung(document));
  EXPECT_TRUE(dialogs.fileRequests.isEmpty());
  document.calculated = true;
  ASSERT_TRUE(ExportBerechnung(document));
  EXPECT_EQ(dialogs.fileRequests.value(0).filter, "*.txt (Kinetra DATA)|*.txt");
  QFile file(folder.filePath("hub.txt"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 103);  // 102 lines, each ended by CR LF
  EXPECT_EQ(lines[0], "0\tz\tf(z)\tf'(z)\tf''(z)\tf'''(z)\tf' f''(z)\tf'' f'''(z)\r");
  EXPECT_EQ(lines[2], "2\t3,6\t0,5\t-1\t0\t0\t0\t1E-07\r");
}

}  // namespace
