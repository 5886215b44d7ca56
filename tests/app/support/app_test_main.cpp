// The test program of the desktop program: a QApplication on the offscreen platform (unless
// the caller chose another) and the scripted dialog service, then every test.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/app/support/scripted_dialogs.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
