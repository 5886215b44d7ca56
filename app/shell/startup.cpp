#include "app/shell/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>

#include "app/common/qt_user_dialogs.h"
#include "app/common/user_dialogs.h"
#include "app/resources/resource_paths.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/mdi_main.h"
#include "app/shell/server_error.h"

namespace {

const QCommandLineOption kLanguageOption(QStringLiteral("lang"),
                                         QStringLiteral("Language of the texts: de or en."),
                                         QStringLiteral("de|en"));
const QCommandLineOption kExchangeOption(QStringLiteral("exchange-menu"),
                                         QStringLiteral("Show the Adams exchange menu."));

void setUpParser(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Kinetra: designs cam and actuator drives and plays them into motionsim."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(kLanguageOption);
  parser.addOption(kExchangeOption);
  parser.addPositionalArgument(QStringLiteral("project"),
                               QStringLiteral("A project file (.idp) to open."),
                               QStringLiteral("[PROJECT.idp]"));
}

}  // namespace

std::optional<StartOptions> parseArguments(const QStringList& arguments, QString* error) {
  QCommandLineParser parser;
  setUpParser(parser);
  auto fail = [error](const QString& why) -> std::optional<StartOptions> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (!parser.parse(arguments)) return fail(parser.errorText());
  StartOptions options;
  if (parser.isSet(kLanguageOption)) {
    Language language{};
    const QString code = parser.value(kLanguageOption);
    if (!languageFromCode(code, &language))
      return fail(QStringLiteral("--lang takes de or en, got \"%1\"").arg(code));
    options.language = language;
  }
  options.exchangeMenu = parser.isSet(kExchangeOption);
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1)
    return fail(QStringLiteral("one project file at most, got %1").arg(files.size()));
  if (!files.isEmpty()) options.projectFile = files.constFirst();
  return options;
}

KinetraProgram::KinetraProgram(int simulationTimeoutMs)
    : link_(simulationTimeoutMs), guard_(link_, [this] { serverErrorRoutine(project_); }) {}

KinetraProgram::~KinetraProgram() = default;

std::unique_ptr<KinetraProgram> KinetraProgram::start(const StartOptions& options, int* exitCode) {
  auto end = [exitCode](int code) -> std::unique_ptr<KinetraProgram> {
    if (exitCode) *exitCode = code;
    return nullptr;
  };
  // The frame time (0.02 s) and the decimals (10) start at ProjectState's defaults; the file
  // filters are made in the current language when a dialog asks for them.
  std::unique_ptr<KinetraProgram> program(new KinetraProgram(options.simulationTimeoutMs));

  // Each attempt ends within the link's time limit; the user decides whether to try again.
  while (!program->link_.AttachSimulation(options.socketPath)) {
    if (showMessage(resString(157), QLatin1String(kNoSimulationTitle), MessageIcon::Critical,
                    MessageButtons::OkCancel) != MessageAnswer::Ok)
      return end(0);
  }

  QString why;
  program->kernel_ = KernelClient::create(&why);
  if (!program->kernel_) {
    std::fprintf(stderr, "kinetra: %s\n", qPrintable(why));
    showMessage(resString(187), QLatin1String(kProductName), MessageIcon::Critical);
    return end(1);
  }

  program->main_ = std::make_unique<MDIMain>(program->project_, *program->kernel_, program->guard_,
                                             options.exchangeMenu);
  program->main_->show();
  if (!options.projectFile.isEmpty()) {
    if (!QFileInfo::exists(options.projectFile))
      std::fprintf(stderr, "kinetra: no such project file: %s\n", qPrintable(options.projectFile));
    program->main_->openProjectFile(options.projectFile);
  }
  if (exitCode) *exitCode = 0;
  return program;
}

int runKinetra(QApplication& app) {
  QApplication::setApplicationName(QLatin1String(kProductName));
  const AppVersion v = applicationVersion();
  QApplication::setApplicationVersion(
      QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision));
  QApplication::setWindowIcon(QIcon(picturePath(QLatin1String(kPictureProgram))));

  QString error;
  const std::optional<StartOptions> options = parseArguments(app.arguments(), &error);
  if (!options) {
    std::fprintf(stderr, "kinetra: %s\n", qPrintable(error));
    return 2;
  }
  // --help and --version print their text and end the program here.
  QCommandLineParser parser;
  setUpParser(parser);
  parser.process(app.arguments());

  setLanguage(options->language.value_or(languageForLocale(QLocale())));
  QtUserDialogs dialogs;
  UserDialogs* const previous = setUserDialogs(&dialogs);
  routeKernelMessagesToUser();

  int exitCode = 0;
  if (std::unique_ptr<KinetraProgram> program = KinetraProgram::start(*options, &exitCode))
    exitCode = QApplication::exec();
  setUserDialogs(previous);
  return exitCode;
}
