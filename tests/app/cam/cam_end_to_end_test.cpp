// The whole path: the example drive typed into a drive's input table and calculated, played
// into the example mechanism's "Hub" with actuator offset 10, the cam recorded back from
// "Rolle" on "Scheibe" and exported. The roller stands 50 mm + Hub from the plate's axis, so
// the contour's radius at every frame is 50 mm + offset + f(z) of that frame's z (frame 0,
// computed before anything was played, holds Hub's initial 10 = offset + f(0)).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <numbers>

#include "app/cam/cam_export.h"
#include "app/cam/cam_session.h"
#include "app/common/kernel_client.h"
#include "app/common/number_text.h"
#include "app/common/text_file.h"
#include "app/editor/drive_calc.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/attached_simulation.h"
#include "tests/app/support/registered_kernel.h"

namespace {

using CamEndToEndTest = AttachedSimulation;

TEST_F(CamEndToEndTest, RecordedContourIsFiftyMillimetresPlusOffsetPlusTheDrive) {
  ASSERT_EQ(kernelRegistration().toStdString(), "");
  QString error;
  const std::optional<KernelClient> kernel = KernelClient::create(&error);
  ASSERT_TRUE(kernel) << error.toStdString();
  start();

  ProjectState state;
  DriveRecord hub;
  hub.name = "Hub";
  hub.document->offsetText = "10";
  hub.document->input = tableOf(kCamDrive);
  UnstoppableLoop loop;
  const CalcOutcome calc = DriveCalc(kernel->server(), *hub.document,
                                     {hub.name, state.frameTime(), state.decimals()}, loop);
  ASSERT_EQ(calc.status, CalcStatus::Calculated);
  hub.frameCount = calc.frameCount;
  ASSERT_EQ(hub.frameCount, 101);
  state.addDrive(hub);

  ASSERT_EQ(transferCommand(state), TransferCommand::OpenCheck);
  const std::optional<TransferCheck> check = checkTransfer(guard_, state);
  ASSERT_TRUE(check);
  EXPECT_TRUE(check->verdict) << check->caption.toStdString();
  ASSERT_EQ(runTransfer(guard_, state, loop), TransferEnd::Completed);

  CamSession cam(guard_);
  ASSERT_EQ(cam.BodyList(), SimOutcome::Done);
  ASSERT_EQ(cam.bodies()[2], (BodyEntry{"3\tRolle", 3}));
  cam.pickBody(CamBody::Roller, 2);
  cam.pickBody(CamBody::Plate, 0);
  const qint32 last = link_.NumFrames() - 1;
  ASSERT_EQ(cam.run(generalText(last), "1", state.decimals(), loop), CamRunEnd::Completed);

  const CamTable& table = cam.table();
  const ResultTable& drive = hub.document->results;
  ASSERT_EQ(table.rowCount(), 101);
  for (int f = 0; f < table.rowCount(); ++f) {
    const double radius = std::hypot(table.value(f, CamTable::kX), table.value(f, CamTable::kY));
    EXPECT_NEAR(radius, 50 + 10 + drive.value(f, 1), 1e-6) << "frame " << f;
    EXPECT_EQ(table.value(f, CamTable::kZ), 0);
    // The plate turns at 180°/s about z: in its frame the roller lies at the angle it turned.
    const double turned = std::numbers::pi * table.value(f, CamTable::kTime);
    EXPECT_NEAR(table.value(f, CamTable::kX), radius * std::sin(turned), 1e-6) << "frame " << f;
  }

  QTemporaryDir dir;
  ASSERT_TRUE(writeCamFile(table, dir.filePath("cam.txt")));
  EXPECT_EQ(readTextLines(dir.filePath("cam.txt")).value_or(QStringList()).size(), 101);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_EQ(serverErrors_, 0);
}

}  // namespace
