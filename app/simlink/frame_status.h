#pragma once
// The status texts of a frame loop (transfer, cam run) for the status panels of the window
// that runs it. The texts come from the simulation (current frame and time), and asking for
// them costs round trips, so the loop first asks its sink whether fresh texts are wanted: a
// window that repaints a few times per second needs no texts for the frames in between.

#include <QElapsedTimer>
#include <QList>
#include <QString>

struct StatusText {
  int panel;  // 1-based panel of the window's status bar
  QString text;
  bool operator==(const StatusText&) const = default;
};

class FrameStatusSink {
 public:
  virtual ~FrameStatusSink() = default;
  // True when the loop is to read and hand over fresh texts now.
  virtual bool statusDue() { return true; }
  virtual void showStatus(const QList<StatusText>& texts) = 0;
};

// A sink that takes fresh texts at most once per interval (the first at once).
class ThrottledStatusSink : public FrameStatusSink {
 public:
  explicit ThrottledStatusSink(int intervalMs = kDefaultIntervalMs) : intervalMs_(intervalMs) {}
  static constexpr int kDefaultIntervalMs = 50;
  bool statusDue() override;

 private:
  int intervalMs_;
  QElapsedTimer timer_;
};

// "Frame: " and "Time: " followed by the number in general text.
QString frameStatusText(qint32 frame);
QString timeStatusText(double seconds);
