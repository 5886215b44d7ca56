// window_shots OUTDIR [kinetra's arguments]: starts kinetra as the user would (motionsim and
// the registered kernel must be there), then saves a picture of the main window, each of its
// menus opened, and each of its dialogs to OUTDIR/<objectName>.png, and ends. Dialogs are
// answered by script, so nothing waits for a person. scripts/screenshots.sh runs it under
// Xvfb. mnuProjektCalc.png shows the main window after its project was calculated, and
// frmChild.png its first drive window maximised. With a
// project whose drives are bound to the example mechanism (examples/demo.idp), the project
// graph (frmGrafik.png, frmGrafik_zoom.png with panel 1 zoomed) and the cam window after the
// project was played and the cam recorded from "Rolle" on "Scheibe" (frmKurve.png) follow.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <utility>

#include "app/cam/frm_kurve.h"
#include "app/graph/canvas.h"
#include "app/projectgraph/frm_grafik.h"
#include "app/shell/frm_info.h"
#include "app/shell/frm_input.h"
#include "app/shell/frm_options.h"
#include "app/shell/help_window.h"
#include "app/shell/mdi_main.h"
#include "app/shell/startup.h"
#include "app/simlink/frm_wm_check.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
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

// The project graph with the cursor on panel 0, then panel 1 zoomed by a drag.
void saveProjectGraph(MDIMain& main) {
  main.openProjectGraph();
  auto* graph = main.findChild<frmGrafik*>();
  QTest::qWait(200);
  QTest::mouseMove(graph->picGrafik(0), graph->picGrafik(0)->rect().center());
  save(graph, graph->objectName());
  Canvas* panel = graph->picGrafik(1);
  const QPoint from(panel->width() / 5, panel->height() / 6);
  const QPoint to(panel->width() / 2, panel->height() / 2);
  QTest::mousePress(panel, Qt::LeftButton, {}, from);
  QTest::mouseMove(panel, to);
  QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
  save(graph, graph->objectName() + QStringLiteral("_zoom"));
  graph->close();
}

// The project played into the simulation, the cam recorded from "Rolle" on "Scheibe" over
// every frame, a row marked and the mouse on the X-Y view.
void saveCamWindow(MDIMain& main, ProjectState& project, SimulationGuard& guard) {
  UnstoppableLoop loop;
  if (!checkTransfer(guard, project) || runTransfer(guard, project, loop) != TransferEnd::Completed)
    return;
  main.openCam();
  auto* cam = main.findChild<frmKurve*>();
  auto* bodies = cam->findChild<QListWidget*>(QStringLiteral("lstBody"));
  for (const auto& [name, button] : {std::pair{"Rolle", "cmdBodyA"}, {"Scheibe", "cmdBodyB"}}) {
    for (int row = 0; row < bodies->count(); ++row)
      if (bodies->item(row)->text().section('\t', 1) == QLatin1String(name))
        bodies->setCurrentRow(row);
    cam->findChild<QPushButton*>(QLatin1String(button))->click();
  }
  cam->Run();
  cam->findChild<QTableView*>(QStringLiteral("flgKurve"))->selectRow(30);
  QTest::mouseMove(cam->picKurve(0), cam->picKurve(0)->rect().center() + QPoint(40, -30));
  save(cam, cam->objectName());
  cam->close();
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
  // One drive window maximised, as a designer reads its graphs, the mouse on f'.
  if (QMdiSubWindow* first = main.mdiArea()->subWindowList().value(0)) {
    first->showMaximized();
    if (auto* graph = first->findChild<Canvas*>(QStringLiteral("picGraf1"))) {
      QTest::qWait(200);
      QTest::mouseMove(graph, graph->rect().center() - QPoint(graph->width() / 6, 0));
    }
    save(&main, QStringLiteral("frmChild"));
    first->showNormal();
  }
  if (program->project().driveCount() > 0) {
    saveProjectGraph(main);
    saveCamWindow(main, program->project(), program->guard());
  }

  for (QAction* item : main.menuBar()->actions()) {
    if (!item->menu() || !item->isVisible()) continue;
    item->menu()->popup(main.mapToGlobal(main.menuBar()->actionGeometry(item).bottomLeft()));
    save(item->menu(), item->objectName());
    item->menu()->close();
  }
  saveDialog<frmOptions>(program->project(), &main);
  saveDialog<frmInfo>(program->kernel().version(), program->guard(), &main);
  saveDialog<frmHidden>(&main);
  HelpWindow::instance()->showPage(QStringLiteral("laws.html"));
  save(HelpWindow::instance(), HelpWindow::instance()->objectName());
  // The transfer check of the calculated project.
  if (program->project().driveCount() > 0)
    saveDialog<frmWMCheck>(program->project(), program->guard(), &main);
  main.mnuNew();
  save(main.inputChooser(), main.inputChooser()->objectName());
  return failures == 0 ? 0 : 1;
}
