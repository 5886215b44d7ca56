#include "app/shell/startup.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QTemporaryDir>

#include "app/editor/frm_child.h"
#include "app/shell/project_file.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/shell/started_program.h"

namespace {

TEST(StartOptions, ArgumentsGiveLanguageMenuAndProjectOrSayWhatIsWrong) {
  const std::tuple<QStringList, std::optional<Language>, bool, QString> cases[] = {
      {{}, std::nullopt, false, ""},
      {{"--lang", "de", "a.idp"}, Language::German, false, "a.idp"},
      {{"--lang=en", "--exchange-menu"}, Language::English, true, ""}};
  for (const auto& [arguments, language, exchangeMenu, projectFile] : cases) {
    QString error;
    const std::optional<StartOptions> options =
        parseArguments(QStringList{"kinetra"} + arguments, &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(std::tie(options->language, options->exchangeMenu, options->projectFile),
              std::tie(language, exchangeMenu, projectFile));
  }
  for (const QStringList& bad :
       {QStringList{"--lang", "fr"}, {"--screenshot", "x.png"}, {"a.idp", "b.idp"}}) {
    QString error;
    EXPECT_FALSE(parseArguments(QStringList{"kinetra"} + bad, &error));
    EXPECT_FALSE(error.isEmpty()) << bad.join(' ').toStdString();
  }
}

using StartUp = StartedProgram;

// Message 157's OK tries the attach again: here motionsim starts while the second box is open.
struct StartingSimulatorDialogs : ScriptedDialogs {
  MessageAnswer ask(const Message& message) override {
    if (messages.size() == 1) startSimulator();
    return ScriptedDialogs::ask(message);
  }
  std::function<void()> startSimulator;
};

TEST_F(StartUp, Message157OkTriesAgainUntilMotionsimAnswers) {
  LocaleScope german(QLocale::German);
  MotionsimProcess later;
  StartingSimulatorDialogs dialogs;
  dialogs.startSimulator = [&] { ASSERT_TRUE(later.start({MotionsimProcess::example()})); };
  dialogs.answers = {MessageAnswer::Ok, MessageAnswer::Ok};
  StartOptions startOptions = options();
  startOptions.socketPath = QString::fromStdString(later.socketPath());

  const std::unique_ptr<KinetraProgram> program = start(startOptions);
  ASSERT_TRUE(program);
  ASSERT_EQ(dialogs.messages.size(), 2);
  EXPECT_EQ(dialogs.messages[1].text, "Es ist kein motionsim geladen !");
  EXPECT_EQ(dialogs.messages[1].title, "motionsim nicht geladen");
  EXPECT_EQ(dialogs.messages[1].buttons, MessageButtons::OkCancel);
  EXPECT_TRUE(program->mainWindow().isVisible());
  EXPECT_EQ(program->mainWindow().panelText(2), "cam_mechanism.msim");
}

TEST_F(StartUp, Message157CancelEndsWithoutAMainWindow) {
  StartOptions startOptions = options();
  startOptions.socketPath = QString::fromStdString(sim_.dir() + "/nobody.sock");
  dialogs_.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(start(startOptions));
  EXPECT_EQ(exitCode_, 0);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(157));
  for (QWidget* window : QApplication::topLevelWidgets())
    EXPECT_FALSE(qobject_cast<MDIMain*>(window)) << "a main window was made";
}

TEST_F(StartUp, Message187WhenTheKernelIsNotRegistered) {
  LocaleScope english(QLocale::English);
  QTemporaryDir empty;
  const QByteArray registry = qgetenv("KINETRA_REGISTRY");
  qputenv("KINETRA_REGISTRY", QFile::encodeName(empty.filePath("registry")));
  const std::unique_ptr<KinetraProgram> program = start(options());
  qputenv("KINETRA_REGISTRY", registry);

  EXPECT_FALSE(program);
  EXPECT_EQ(exitCode_, 1);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text,
            "Error while loading the Kinetra-Kernel! Please register the Kernel in the "
            "System-Path (kinetra-regsvr libVelDrive.so)");
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
}

TEST_F(StartUp, AProjectOnTheCommandLineOpensItsDriveWindows) {
  LocaleScope german(QLocale::German);
  QTemporaryDir dir;
  ProjectState saved;
  fillTwoDrives(saved);
  saved.setFrameTime(0.04);
  StartOptions startOptions = options();
  startOptions.projectFile = dir.filePath("two.idp");
  ASSERT_TRUE(writeTextFile(startOptions.projectFile, projectFileLines(saved)));

  const std::unique_ptr<KinetraProgram> program = start(startOptions);
  ASSERT_TRUE(program);
  MDIMain& main = program->mainWindow();
  ASSERT_EQ(main.mdiArea()->subWindowList().size(), 2);
  EXPECT_EQ(main.driveWindow(1)->record().name, "Rolle");
  EXPECT_EQ(main.windowTitle(), "Kinetra  " + startOptions.projectFile);
  EXPECT_EQ(main.panelText(4), "Frames 25/s");
  EXPECT_FALSE(program->project().isChanged());
}

}  // namespace
