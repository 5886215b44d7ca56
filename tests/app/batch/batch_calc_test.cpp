// kinetra-batch calc against the kernel as veldrive reaches it: a drive of every law, built by
// the batch tool through the segment objects (as the drive windows build it), must give the
// values veldrive gives for the same drive written as segment format strings.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "app/common/number_text.h"
#include "app/common/text_file.h"
#include "app/shell/project_file.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"

namespace {

const char* const kLaws[] = {"Linear",  "QuadParab", "InclSine",  "Sine",    "SineLinear",
                             "ModSine", "Poly5",     "ModTrapez", "HarmComb"};
// Dwell, rise by 50 with the law, dwell, return with the law, dwell, end.
const double kRows[][2] = {{0, 0}, {60, 0}, {150, 50}, {210, 50}, {300, 0}, {360, 0}};

QProcess::ExitStatus run(const QString& program, const QStringList& args, QByteArray* out,
                         int* code) {
  QProcess process;
  process.start(QCoreApplication::applicationDirPath() + "/" + program, args);
  process.waitForFinished(60000);
  *out = process.readAllStandardOutput();
  *code = process.exitCode();
  return process.exitStatus();
}

TEST(BatchCalc, EveryLawGivesTheKernelsValuesAndAnUnsolvedDriveExits3) {
  ASSERT_EQ(kernelRegistration().toStdString(), "");
  const QLocale c = QLocale::c();
  QTemporaryDir dir;
  ProjectState project;
  for (const char* law : kLaws) {
    DriveRecord drive;
    drive.name = QString::fromLatin1(law);
    std::vector<QStringList> rows;
    for (std::size_t r = 0; r < std::size(kRows); ++r)
      rows.push_back({QString::number(kRows[r][0]), QString::number(kRows[r][1]),
                      r == 5 ? QStringLiteral("END") : (r % 2 ? drive.name : "Linear")});
    drive.document->input = tableOf(rows);
    project.addDrive(std::move(drive));
  }
  const QString projectPath = dir.filePath("laws.idp");
  ASSERT_TRUE(writeTextFile(projectPath, projectFileLines(project)));

  QByteArray out;
  int code = -1;
  ASSERT_EQ(run("kinetra-batch",
                {"--lang", "en", "calc", projectPath, "--out", dir.filePath("out")}, &out, &code),
            QProcess::NormalExit);
  ASSERT_EQ(code, 0) << out.toStdString();
  for (const char* law : kLaws) {
    SCOPED_TRACE(law);
    const auto lines = readTextLines(dir.filePath(QStringLiteral("out/%1.txt").arg(law)));
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 102);  // header and 101 frames of 3.6 degrees
    QString drive, at;
    for (std::size_t r = 0; r < std::size(kRows); ++r)
      drive += QStringLiteral("\"%1\", %2, %3\n")
                   .arg(r % 2 && r < 5 ? QString::fromLatin1(law) : "Linear")
                   .arg(kRows[r][0])
                   .arg(kRows[r][1]);
    QList<QStringList> rows;
    for (int i = 1; i < lines->size(); i += 7) {
      rows << lines->at(i).split('\t');
      at += (at.isEmpty() ? "" : ",") + rows.last()[1];
    }
    const QString file = dir.filePath("drive.txt");
    ASSERT_TRUE(writeTextFile(file, drive.split('\n', Qt::SkipEmptyParts)));
    ASSERT_EQ(run("veldrive", {"--at", at, file}, &out, &code), QProcess::NormalExit);
    ASSERT_EQ(code, 0);
    const QStringList reference = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(reference.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
      const QStringList expected = reference[i].split('\t');
      for (int column = 2; column <= 5; ++column) {  // f, f', f'', f'''
        const double shown = *parseNumber(rows[i][column], c);
        const double kernel = expected[column - 1].toDouble();
        EXPECT_NEAR(shown, kernel, 1e-8 * std::max(1.0, std::fabs(kernel)))
            << "z " << rows[i][1].toStdString() << " column " << column;
      }
    }
  }

  // A modified sine given only its start slope waits for an end slope nobody hands it.
  ProjectState unsolved;
  DriveRecord broken;
  broken.name = "broken";
  broken.document->input = tableOf({{"0", "0", "ModSine", "1"}, {"10", "5", "END"}});
  unsolved.addDrive(std::move(broken));
  ASSERT_TRUE(writeTextFile(projectPath, projectFileLines(unsolved)));
  run("kinetra-batch", {"--lang", "en", "calc", projectPath, "--out", dir.filePath("out")}, &out,
      &code);
  EXPECT_EQ(code, 3);
  run("kinetra-batch", {"calc", dir.filePath("missing.idp"), "--out", dir.path()}, &out, &code);
  EXPECT_EQ(code, 2);
}

}  // namespace
