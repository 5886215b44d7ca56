#include "app/simlink/frame_status.h"

#include "app/common/number_text.h"

bool ThrottledStatusSink::statusDue() {
  if (timer_.isValid() && timer_.elapsed() < intervalMs_) return false;
  timer_.start();
  return true;
}

QString frameStatusText(qint32 frame) { return QStringLiteral("Frame: ") + generalText(frame); }

QString timeStatusText(double seconds) { return QStringLiteral("Time: ") + generalText(seconds); }
