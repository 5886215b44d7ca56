#pragma once
// The windows' LoopControl: one round of pending window events per step, a progress bar
// that follows the steps, and the Escape key watched while the loop runs. A loop stops when
// Escape was pressed since it began or when the caller's stop test says so (a dialog's
// Cancel button that stays live through the event rounds).

#include <QObject>
#include <QPointer>
#include <QProgressBar>

#include <functional>

#include "app/common/loop_control.h"

class WindowLoop : public QObject, public LoopControl {
 public:
  // bar may be null (no progress shown); it is shown during the loop and hidden after.
  explicit WindowLoop(QProgressBar* bar = nullptr, std::function<bool()> stopRequested = {});
  ~WindowLoop() override;

  void begin(qint64 total) override;
  bool proceed(qint64 done) override;
  void end() override;

  bool escapePressed() const { return escape_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QProgressBar> bar_;
  std::function<bool()> stopRequested_;
  qint64 total_ = 0;
  int scale_ = 1;  // steps per bar unit, so huge loops fit the bar's int range
  bool escape_ = false;
};
