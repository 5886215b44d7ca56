// kinetra: the desktop program.
#include <QApplication>

#include "app/shell/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return runKinetra(app);
}
