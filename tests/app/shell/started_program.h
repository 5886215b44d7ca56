#pragma once
// kinetra as a user starts it: the kernel registered, a real motionsim serving the example
// mechanism, and the start-up routine run against both with every dialog scripted. Modal
// dialogs opened by a menu item are handled by whenModal, which closes whatever stays open.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/shell/mdi_main.h"
#include "app/shell/startup.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"
#include "tests/simulator/motionsim_process.h"

class StartedProgram : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kernelRegistration().toStdString(), "");
    ASSERT_TRUE(sim_.start({MotionsimProcess::example()})) << sim_.output();
  }

  StartOptions options() const {
    StartOptions options;
    options.socketPath = QString::fromStdString(sim_.socketPath());
    options.simulationTimeoutMs = 5000;
    return options;
  }
  // Starts the program; exitCode_ tells how start-up ended when it gives nothing.
  std::unique_ptr<KinetraProgram> start(const StartOptions& startOptions) {
    return KinetraProgram::start(startOptions, &exitCode_);
  }

  // Runs inside the modal dialog the next statement opens, then closes it if still open.
  static void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
      QWidget* dialog = QApplication::activeModalWidget();
      act(dialog);
      if (dialog && dialog->isVisible()) dialog->close();
    });
  }

  ScriptedDialogs dialogs_;
  MotionsimProcess sim_;
  int exitCode_ = -1;
};
