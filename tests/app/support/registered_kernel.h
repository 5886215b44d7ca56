#pragma once
// The kernel as the program meets it: libVelDrive.so registered by kinetra-regsvr into a
// temporary registry (KINETRA_REGISTRY) once per test program, and for each test a drive
// server made by class activation; kernel messages reach the installed dialog service.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

#include "app/common/kernel_client.h"

// Registers the kernel on first use; the registry lives until the program ends. Empty when
// registered, else what went wrong.
inline const QString& kernelRegistration() {
  static const QString error = []() -> QString {
    static QTemporaryDir folder;
    if (!folder.isValid()) return QStringLiteral("no temporary folder");
    qputenv("KINETRA_REGISTRY", QFile::encodeName(folder.filePath(QStringLiteral("registry"))));
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess regsvr;
    regsvr.setWorkingDirectory(folder.path());
    regsvr.start(bin + QStringLiteral("/kinetra-regsvr"), {QStringLiteral("libVelDrive.so")});
    if (regsvr.waitForFinished(30000) && regsvr.exitStatus() == QProcess::NormalExit &&
        regsvr.exitCode() == 0)
      return {};
    return QStringLiteral("kinetra-regsvr libVelDrive.so failed: ") + regsvr.errorString() +
           QString::fromLocal8Bit(regsvr.readAllStandardError());
  }();
  return error;
}

class RegisteredKernel : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kernelRegistration().toStdString(), "");
    QString error;
    kernel_ = KernelClient::create(&error);
    ASSERT_TRUE(kernel_) << error.toStdString();
    routeKernelMessagesToUser();
  }

  const KernelClient& kernel() const { return *kernel_; }
  IVelDriveServer* server() const { return kernel_->server(); }
  long serverDriveCount() const {
    LONG count = -1;
    kernel_->server()->get_driveCount(&count);
    return count;
  }

 private:
  std::optional<KernelClient> kernel_;
};
