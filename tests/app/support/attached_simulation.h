#pragma once
// A test attached to a real motionsim of its own: start() launches it with a document and
// attaches the link; calls_ records the name of every member the link calls; guard_ counts
// the runs of its server-error routine; dialogs are scripted; numbers follow the C locale.

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/common/loop_control.h"
#include "app/common/string_table.h"
#include "app/editor/drive_document.h"
#include "app/shell/file_commands.h"
#include "app/shell/project_state.h"
#include "app/shell/server_error.h"
#include "app/simlink/simulation_guard.h"
#include "tests/app/support/locale_scope.h"
#include "tests/app/support/scripted_dialogs.h"
#include "tests/simulator/motionsim_process.h"

class AttachedSimulation : public testing::Test {
 protected:
  static constexpr int kTimeoutMs = 5000;

  // Starts motionsim on the document text (or the example when empty) and attaches.
  void start(const std::string& document = {}, std::vector<std::string> args = {}) {
    args.push_back(document.empty() ? MotionsimProcess::example()
                                    : sim_.writeFile("test.msim", document));
    ASSERT_TRUE(sim_.start(args)) << sim_.output();
    ASSERT_TRUE(link_.AttachSimulation(QString::fromStdString(sim_.socketPath())))
        << link_.attachError().description().toStdString();
    link_.setCallObserver([this](const SimMember& member, std::uint8_t) {
      calls_ << QString::fromLatin1(member.name);
    });
  }
  void kill() {
    sim_.signal(SIGKILL);
    sim_.waitExit();
  }

  LocaleScope cLocale_{QLocale::c(), currentLanguage()};
  MotionsimProcess sim_;
  SimulationLink link_{kTimeoutMs};
  int serverErrors_ = 0;
  SimulationGuard guard_{link_, [this] { ++serverErrors_; }};
  // Under backupGuard_ a lost simulation runs the program's server-error routine on project_.
  ProjectState project_;
  SimulationGuard backupGuard_{link_, [this] { serverErrorRoutine(project_); }};
  ScriptedDialogs dialogs_;
  QStringList calls_;
};

// Two inputs, each moving a slider along y by exactly its value.
inline constexpr char kTwoSliders[] =
    "motionsim-document 1\nstep 0.02\n"
    "input 7 Hub 0\ninput 8 Hub2 0\n"
    "body 1 S1 joint prismatic y input Hub\n"
    "body 2 S2 joint prismatic y input Hub2\n";

// rows (z, f) pairs: z from 0 to z1 in equal steps, f = 1, 2, 3, …
inline std::vector<std::pair<double, double>> ramp(int rows, double z1 = 360.0) {
  std::vector<std::pair<double, double>> zf;
  for (int i = 0; i < rows; ++i) zf.push_back({z1 * i / (rows - 1), 1.0 + i});
  return zf;
}

// A calculated drive whose result table holds the (z, f) pairs, with the offset text.
inline DriveRecord calculatedDrive(const QString& name, const QString& offset,
                                   const std::vector<std::pair<double, double>>& zf) {
  DriveRecord drive;
  drive.name = name;
  drive.document->offsetText = offset;
  for (const auto& [z, f] : zf) drive.document->results.appendRow({z, f, 0, 0, 0, 0, 0});
  drive.document->calculated = true;
  drive.frameCount = static_cast<qint32>(zf.size());
  return drive;
}

// A loop control that runs a test's action when the loop is about to take step `at`; the
// loop stops there when the action returns false.
class ActingLoop : public LoopControl {
 public:
  ActingLoop(qint64 at, std::function<bool()> action) : at_(at), action_(std::move(action)) {}
  bool proceed(qint64 done) override { return done != at_ || action_(); }

 private:
  qint64 at_;
  std::function<bool()> action_;
};

// After a lost simulation: message 164 came first, and the backup reopens with every drive of
// the project, its offset and its rows.
inline void expectBackupOfEveryDrive(const ScriptedDialogs& dialogs, const QString& backup,
                                     const ProjectState& project) {
  ASSERT_FALSE(dialogs.messages.isEmpty());
  EXPECT_EQ(dialogs.messages[0].text, resString(164));
  EXPECT_EQ(dialogs.messages[0].title, kServerErrorTitle);
  ProjectState reopened;
  EXPECT_EQ(openProjectFile(reopened, backup).outcome, FileOutcome::Done);
  ASSERT_EQ(reopened.driveCount(), project.driveCount());
  for (int i = 0; i < project.driveCount(); ++i) {
    const DriveRecord &a = project.drives()[i], &b = reopened.drives()[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.document->offsetText, a.document->offsetText);
    EXPECT_EQ(b.document->input.dataRows(), a.document->input.dataRows());
  }
}
