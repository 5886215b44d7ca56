// The whole path: the example drive calculated by the kernel, played into the example
// mechanism's "Hub" with actuator offset 10, the cam recorded back from "Rolle" on "Scheibe"
// and exported. The roller stands 50 mm + Hub from the plate's axis, so the contour's radius
// at every frame is 50 mm + offset + f(z) of that frame's z (frame 0 is the simulation's
// start, computed before anything was played).
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

#include "app/cam/cam_export.h"
#include "app/cam/cam_session.h"
#include "app/common/number_text.h"
#include "app/common/text_file.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "tests/app/support/attached_simulation.h"
#include "tests/app/support/registered_kernel.h"

namespace {

constexpr int kDecimals = 10;

// The example drive tabulated over its z range in steps of dz, as a calculation fills the
// result table.
ResultTable calculateExample(double dz) {
  ResultTable results;
  KernelClient* kernel = RegisteredKernel::client();
  if (kernel == nullptr) {
    ADD_FAILURE() << RegisteredKernel::error().toStdString();
    return results;
  }
  ComPtr<IVelDrive> drive;
  EXPECT_EQ(kernel->server()->newDrive(toBstr("Hub").get(), drive.put()), S_OK);
  const auto lines = readTextLines(KINETRA_SOURCE_DIR "/examples/example_drive.txt");
  EXPECT_TRUE(lines);
  for (const QString& line : lines.value_or(QStringList())) {
    if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
    EXPECT_EQ(drive->put_segment(toBstr(line).get()), S_OK) << line.toStdString();
  }
  LONG unsolved = -1;
  drive->compile(&unsolved);
  EXPECT_EQ(unsolved, 0);
  double z0 = 0, z1 = 0;
  drive->get_z0(&z0);
  drive->get_z1(&z1);
  for (int i = 0; z0 + i * dz <= z1 + 1e-9; ++i) {
    const double z = z0 + i * dz;
    double f[4];
    drive->fderiv(z, &f[0], &f[1], &f[2], &f[3]);
    ResultTable::Row row{z, f[0], f[1], f[2], f[3], f[1] * f[2], f[2] * f[3]};
    for (double& v : row) v = displayValue(v, kDecimals);
    results.appendRow(row);
  }
  return results;
}

using CamEndToEndTest = AttachedSimulation;

TEST_F(CamEndToEndTest, RecordedContourIsFiftyMillimetresPlusOffsetPlusTheDrive) {
  start();
  ProjectState state;
  DriveRecord hub;
  hub.name = "Hub";
  hub.document->offsetText = "10";
  hub.document->results = calculateExample(180 * state.frameTime());
  hub.frameCount = hub.document->results.rowCount();
  ASSERT_EQ(hub.frameCount, 101);
  state.addDrive(hub);

  ASSERT_EQ(transferCommand(state), TransferCommand::OpenCheck);
  const TransferCheck check = checkTransfer(link_, state);
  EXPECT_TRUE(check.verdict) << check.caption.toStdString();
  UnstoppableLoop loop;
  ASSERT_EQ(runTransfer(link_, state, loop), TransferEnd::Completed);

  CamSession cam(link_);
  const std::vector<BodyEntry> bodies = cam.BodyList();
  ASSERT_EQ(bodies[2].text, "3\tRolle");
  ASSERT_EQ(bodies[0].text, "1\tScheibe");
  cam.pickBody(CamBody::Roller, 2);
  cam.pickBody(CamBody::Plate, 0);
  const qint32 last = link_.NumFrames() - 1;
  EXPECT_EQ(last, 100);
  ASSERT_EQ(cam.run(generalText(last), "1", kDecimals, loop), CamRunEnd::Completed);

  const CamTable& table = cam.table();
  const ResultTable& drive = hub.document->results;
  ASSERT_EQ(table.rowCount(), 101);
  for (int f = 1; f < table.rowCount(); ++f) {
    const double radius = std::hypot(table.value(f, CamTable::kX), table.value(f, CamTable::kY));
    EXPECT_NEAR(radius, 50 + 10 + drive.value(f, 1), 1e-6) << "frame " << f;
    EXPECT_EQ(table.value(f, CamTable::kZ), 0);
  }

  QTemporaryDir dir;
  ASSERT_TRUE(writeCamFile(table, dir.filePath("cam.txt")));
  EXPECT_EQ(readTextLines(dir.filePath("cam.txt")).value_or(QStringList()).size(), 101);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
