#include "app/common/window_loop.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <limits>

WindowLoop::WindowLoop(QProgressBar* bar, std::function<bool()> stopRequested)
    : bar_(bar), stopRequested_(std::move(stopRequested)) {
  QCoreApplication::instance()->installEventFilter(this);
}

WindowLoop::~WindowLoop() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowLoop::eventFilter(QObject* watched, QEvent* event) {
  if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    escape_ = true;
    return event->type() == QEvent::KeyPress;  // the loop takes this Escape
  }
  return QObject::eventFilter(watched, event);
}

void WindowLoop::begin(qint64 total) {
  total_ = total;
  escape_ = false;
  scale_ = static_cast<int>(total / std::numeric_limits<int>::max()) + 1;
  if (bar_) {
    bar_->setRange(0, static_cast<int>(total / scale_));
    bar_->setValue(0);
    bar_->show();
  }
}

bool WindowLoop::proceed(qint64 done) {
  if (bar_) bar_->setValue(static_cast<int>(done / scale_));
  QCoreApplication::processEvents();
  return !escape_ && !(stopRequested_ && stopRequested_());
}

void WindowLoop::end() {
  if (bar_) bar_->hide();
}
