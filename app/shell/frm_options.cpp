#include "app/shell/frm_options.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/common/string_table.h"
#include "app/shell/options.h"
#include "app/shell/project_state.h"

namespace {

template <class Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

}  // namespace

frmOptions::frmOptions(ProjectState& project, QWidget* parent)
    : QDialog(parent), project_(project) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(resString(128));

  frmDezimale_ = named(new QGroupBox(decimalsCaption(project.decimals()), this), "frmDezimale");
  sldDezimale_ = named(new QSlider(Qt::Horizontal, frmDezimale_), "sldDezimale");
  sldDezimale_->setRange(0, 15);
  sldDezimale_->setValue(project.decimals());
  sldDezimale_->setPageStep(1);
  sldDezimale_->setTickPosition(QSlider::TicksBelow);
  sldDezimale_->setTickInterval(1);
  auto* decimalsLayout = new QVBoxLayout(frmDezimale_);
  decimalsLayout->addWidget(sldDezimale_);
  connect(sldDezimale_, &QSlider::valueChanged, this,
          [this](int value) { frmDezimale_->setTitle(decimalsSlidingCaption(value)); });

  auto* fraFramesprosekunde = named(new QGroupBox(resString(139), this), "fraFramesprosekunde");
  txtStep_ = named(new QLineEdit(framesPerSecondText(project.frameTime()), fraFramesprosekunde),
                   "txtStep");
  txtStep_->installEventFilter(this);
  auto* framesLayout = new QVBoxLayout(fraFramesprosekunde);
  framesLayout->addWidget(txtStep_);

  auto* fraHinweis = named(new QGroupBox(resString(142), this), "fraHinweis");
  auto* lblHinweis = named(new QLabel(resString(143), fraHinweis), "lblHinweis");
  lblHinweis->setWordWrap(true);
  auto* noteLayout = new QVBoxLayout(fraHinweis);
  noteLayout->addWidget(lblHinweis);

  cmdClose_ = named(new QPushButton(resString(141), this), "cmdClose");
  auto* cmdCancel = named(new QPushButton(resString(140), this), "cmdCancel");
  cmdClose_->setDefault(true);
  connect(cmdClose_, &QPushButton::clicked, this, &frmOptions::cmdClose);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdClose_);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frmDezimale_);
  layout->addWidget(fraFramesprosekunde);
  layout->addWidget(fraHinweis);
  layout->addLayout(buttons);
  // Leaving txtStep leads to Apply.
  setTabOrder(txtStep_, cmdClose_);
  setTabOrder(cmdClose_, cmdCancel);
  setMinimumWidth(360);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
  // The text is checked when the box loses the focus inside the dialog (not when the whole
  // window is left).
  if (watched == txtStep_ && event->type() == QEvent::FocusOut && isActiveWindow() &&
      !frameTimeFromText(txtStep_->text()))
    QTimer::singleShot(0, this, &frmOptions::refuseStep);
  return QDialog::eventFilter(watched, event);
}

void frmOptions::refuseStep() {
  txtStep_->setFocus(Qt::OtherFocusReason);
  txtStep_->selectAll();
}

void frmOptions::cmdClose() {
  if (!applyOptions(project_, txtStep_->text(), sldDezimale_->value())) {
    refuseStep();
    return;
  }
  accept();
}
