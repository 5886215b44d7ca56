#pragma once
// A long loop's link to the user: it reports progress and learns whether the user stopped
// it (Escape, or a Cancel button). The windows implement it with a progress bar, one round
// of pending events per call and a watch on the Escape key; the batch tool and tests use
// their own. Qt Core only.

#include <QtGlobal>

class LoopControl {
 public:
  virtual ~LoopControl() = default;
  // The loop is about to run total steps.
  virtual void begin(qint64 total) { (void)total; }
  // done steps are finished; false when the loop is to stop before the next step.
  virtual bool proceed(qint64 done) = 0;
  // The loop has ended, completed or not.
  virtual void end() {}
};

// Runs to the end: never stops a loop, shows nothing.
class UnstoppableLoop : public LoopControl {
 public:
  bool proceed(qint64) override { return true; }
};
