// window_shots OUTDIR [kinetra's arguments]: starts kinetra as the user would (motionsim and
// the registered kernel must be there), then saves a picture of the main window, each of its
// menus opened, and each of its dialogs to OUTDIR/<objectName>.png, and ends. Dialogs are
// answered by script, so nothing waits for a person. scripts/screenshots.sh runs it under
// Xvfb. mnuProjektCalc.png shows the main window after its project was calculated.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <cstdio>

#include "app/shell/frm_info.h"
#include "app/shell/frm_input.h"
#include "app/shell/frm_options.h"
#include "app/shell/mdi_main.h"
#include "app/shell/startup.h"
#include "app/simlink/frm_wm_check.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

QDir out;
int failures = 0;

void save(QWidget* window, const QString& name) {
  QTest::qWait(200);  // let the window system show and lay it out
  if (!window->grab().save(out.filePath(name + QStringLiteral(".png")))) {
    std::fprintf(stderr, "window_shots: cannot save %s\n", qPrintable(name));
    ++failures;
  }
}

template <class Dialog, class... Args>
void saveDialog(Args&&... args) {
  Dialog dialog(std::forward<Args>(args)...);
  dialog.show();
  save(&dialog, dialog.objectName());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList arguments = app.arguments();
  if (arguments.size() < 2) {
    std::fprintf(stderr, "usage: window_shots OUTDIR [--lang de|en] [PROJECT.idp]\n");
    return 2;
  }
  out = QDir(arguments.takeAt(1));
  QString error;
  const std::optional<StartOptions> options = parseArguments(arguments, &error);
  if (!options) {
    std::fprintf(stderr, "window_shots: %s\n", qPrintable(error));
    return 2;
  }
  setLanguage(options->language.value_or(languageForLocale(QLocale())));
  ScriptedDialogs dialogs;
  const std::unique_ptr<KinetraProgram> program = KinetraProgram::start(*options);
  if (!program) return 1;
  MDIMain& main = program->mainWindow();
  save(&main, main.objectName());
  // The project calculated, as "Projekt Rechnen" leaves it.
  main.mnuProjektCalc();
  save(&main, QStringLiteral("mnuProjektCalc"));

  for (QAction* item : main.menuBar()->actions()) {
    if (!item->menu() || !item->isVisible()) continue;
    item->menu()->popup(main.mapToGlobal(main.menuBar()->actionGeometry(item).bottomLeft()));
    save(item->menu(), item->objectName());
    item->menu()->close();
  }
  saveDialog<frmOptions>(program->project(), &main);
  saveDialog<frmInfo>(program->kernel().version(), program->guard(), &main);
  saveDialog<frmHidden>(&main);
  // The transfer check of the calculated project.
  if (program->project().driveCount() > 0)
    saveDialog<frmWMCheck>(program->project(), program->guard(), &main);
  main.mnuNew();
  save(main.inputChooser(), main.inputChooser()->objectName());
  return failures == 0 ? 0 : 1;
}
