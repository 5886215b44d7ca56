// graph_window_shots OUTDIR [de|en]: pictures of the project graph and the cam window as a person
// sees them, for looking at (run it under Xvfb, e.g. xvfb-run -a -s "-screen 0 1600x1000x24").
// It registers the kernel into a temporary registry, starts motionsim with the example
// mechanism, calculates the example drive "Hub" and a second drive, plays "Hub" into the
// mechanism, records the cam from "Rolle" on "Scheibe", and saves
//   OUTDIR/frmGrafik.png        the project graph of both drives, the cursor on panel 0
//   OUTDIR/frmGrafik_zoom.png   panel 1 zoomed
//   OUTDIR/frmKurve.png         the cam window after the run, row 30 marked
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <cstdio>

#include "app/cam/frm_kurve.h"
#include "app/editor/drive_calc.h"
#include "app/graph/canvas.h"
#include "app/projectgraph/frm_grafik.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "tests/app/support/example_drive.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"
#include "tests/simulator/motionsim_process.h"

namespace {

QDir out;
int failures = 0;

void fail(const char* what) {
  std::fprintf(stderr, "graph_window_shots: %s\n", what);
  ++failures;
}

void save(QWidget* window, const QString& name) {
  QTest::qWait(300);  // let the window system show and lay it out
  if (!window->grab().save(out.filePath(name + QStringLiteral(".png")))) fail("cannot save");
}

// A second drive: rise by 30 over 0 … 120 with a fifth-order polynomial, hold, fall with a
// modified trapezoid over 200 … 330, hold to 360.
InputTable secondTable() {
  InputTable table;
  const char* rows[][3] = {{"0", "0", "Poly5"},
                           {"120", "30", "Linear"},
                           {"200", "30", "ModTrapez"},
                           {"330", "0", "Linear"},
                           {"360", "0", nullptr}};
  int row = 0;
  for (const auto& r : rows) {
    if (row++ > 0) table.appendRow();
    table.setCell(row, InputTable::kZ, QString::fromLatin1(r[0]));
    table.setCell(row, InputTable::kF, QString::fromLatin1(r[1]));
    table.setCell(row, InputTable::kLaw, r[2] ? QString::fromLatin1(r[2]) : resString(189));
  }
  table.renumber();
  return table;
}

bool calculate(const KernelClient& kernel, ProjectState& project, DriveRecord record) {
  UnstoppableLoop loop;
  const CalcOutcome calc = DriveCalc(kernel.server(), *record.document,
                                     {record.name, project.frameTime(), project.decimals()}, loop);
  if (calc.status != CalcStatus::Calculated) return false;
  record.frameCount = calc.frameCount;
  project.addDrive(record);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: graph_window_shots OUTDIR [de|en]\n");
    return 2;
  }
  out = QDir(QString::fromLocal8Bit(argv[1]));
  out.mkpath(QStringLiteral("."));
  const bool english = argc > 2 && QByteArray(argv[2]) == "en";
  setLanguage(english ? Language::English : Language::German);
  QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedStates)
                              : QLocale(QLocale::German, QLocale::Germany));
  ScriptedDialogs dialogs;

  if (!kernelRegistration().isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(kernelRegistration()));
    return 1;
  }
  QString error;
  const std::optional<KernelClient> kernel = KernelClient::create(&error);
  MotionsimProcess sim;
  if (!kernel || !sim.start({MotionsimProcess::example()})) {
    std::fprintf(stderr, "no kernel or no motionsim: %s\n", qPrintable(error));
    return 1;
  }
  SimulationLink link;
  if (!link.AttachSimulation(QString::fromStdString(sim.socketPath()))) return 1;
  SimulationGuard guard(link, [] { fail("simulation lost"); });

  ProjectState project;
  DriveRecord hub;
  hub.name = QStringLiteral("Hub");
  hub.document->input = exampleTable();
  if (!calculate(*kernel, project, hub)) fail("Hub not calculated");
  UnstoppableLoop loop;
  if (!checkTransfer(guard, project) || runTransfer(guard, project, loop) != TransferEnd::Completed)
    fail("transfer");

  frmKurve cam(project, guard);
  cam.show();
  auto* bodies = cam.findChild<QListWidget*>(QStringLiteral("lstBody"));
  bodies->setCurrentRow(2);
  cam.findChild<QPushButton*>(QStringLiteral("cmdBodyA"))->click();
  bodies->setCurrentRow(0);
  cam.findChild<QPushButton*>(QStringLiteral("cmdBodyB"))->click();
  cam.findChild<QLineEdit*>(QStringLiteral("txtFrame"))->setText(QStringLiteral("100"));
  cam.Run();
  cam.findChild<QTableView*>(QStringLiteral("flgKurve"))->selectRow(30);
  QTest::mouseMove(cam.picKurve(0), cam.picKurve(0)->rect().center() + QPoint(40, -30));
  save(&cam, QStringLiteral("frmKurve"));
  cam.close();

  DriveRecord lift;
  lift.name = QStringLiteral("Heber");
  lift.document->input = secondTable();
  lift.document->colorBgr = 0x000080FF;  // orange
  if (!calculate(*kernel, project, lift)) fail("second drive not calculated");
  frmGrafik graph(project);
  graph.show();
  QTest::qWait(300);
  QTest::mouseMove(graph.picGrafik(0), graph.picGrafik(0)->rect().center());
  save(&graph, QStringLiteral("frmGrafik"));
  Canvas* panel = graph.picGrafik(1);
  const QPoint from(panel->width() / 5, panel->height() / 6);
  const QPoint to(panel->width() / 2, panel->height() / 2);
  QTest::mousePress(panel, Qt::LeftButton, {}, from);
  QTest::mouseMove(panel, to);
  QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
  save(&graph, QStringLiteral("frmGrafik_zoom"));
  for (const Message& m : dialogs.messages)
    std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
  return failures == 0 ? 0 : 1;
}
