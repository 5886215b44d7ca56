#pragma once
// What the frame loops (transfer, cam run) share: their status texts for the status panels
// of the window that runs them, and the loop control's begin and end around them.
//
// The status texts come from the simulation (current frame and time), and asking for them costs
// round trips, so the loop first asks its sink whether fresh texts are wanted: a window that
// repaints a few times per second needs no texts for the frames in between.

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include "app/common/loop_control.h"

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

// Begins a loop of total steps on construction and ends it once: at end() or when the
// scope is left, also by an error.
class LoopRun {
 public:
  LoopRun(LoopControl& loop, qint64 total) : loop_(loop) { loop_.begin(total); }
  ~LoopRun() { end(); }
  LoopRun(const LoopRun&) = delete;
  LoopRun& operator=(const LoopRun&) = delete;

  bool proceed(qint64 done) { return loop_.proceed(done); }
  void end() {
    if (!ended_) loop_.end();
    ended_ = true;
  }

 private:
  LoopControl& loop_;
  bool ended_ = false;
};
