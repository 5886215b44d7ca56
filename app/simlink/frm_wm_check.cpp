#include "app/simlink/frm_wm_check.h"

#include <QAbstractButton>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/common/window_loop.h"
#include "app/resources/resource_paths.h"
#include "app/simlink/transfer_run.h"
#include "app/simlink/value_log.h"

namespace {

constexpr int kPictureSide = 20;
constexpr int kButtonWidth = 120;

// The three checks, each shown by one of two pictures in the same place.
struct CheckPictures {
  const char* ok;
  const char* failed;
  const char* caption;  // the label beside them
};
constexpr CheckPictures kFrames{"imgFramesOK", "imgFramesFalsch", "lblFrames"};
constexpr CheckPictures kOffset{"imgAnflaengeOK", "imgAnfLaengeFalsch", "lblAnfLaenge"};
constexpr CheckPictures kZRange{"imgZBereichOK", "imgZBereichFalsch", "lblTime"};

QLabel* picture(const char* name, const char* file, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setPixmap(QIcon(picturePath(QLatin1String(file))).pixmap(kPictureSide, kPictureSide));
  label->setFixedSize(kPictureSide, kPictureSide);
  return label;
}

QLabel* label(const char* name, QWidget* parent) {
  auto* widget = new QLabel(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setTextFormat(Qt::PlainText);
  return widget;
}

QPushButton* button(const char* name, QWidget* parent) {
  auto* widget = new QPushButton(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setMinimumWidth(kButtonWidth);
  return widget;
}

QGroupBox* framed(const QString& name, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(parent);
  box->setObjectName(name);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(content);
  return box;
}

// A caption on whatever kind of control carries it.
void setCaption(QWidget* widget, const QString& text) {
  if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(text);
  } else if (auto* text_label = qobject_cast<QLabel*>(widget)) {
    text_label->setText(text);
  } else if (auto* pushed = qobject_cast<QAbstractButton*>(widget)) {
    pushed->setText(text);
  }
}

}  // namespace

// The status bar as the transfer's status sink: a few fresh texts per second.
class frmWMCheck::StatusPanels : public ThrottledStatusSink {
 public:
  explicit StatusPanels(frmWMCheck& dialog) : dialog_(dialog) {}
  void showStatus(const QList<StatusText>& texts) override {
    for (const StatusText& text : texts) dialog_.showStatus(text.panel, text.text);
  }

 private:
  frmWMCheck& dialog_;
};

frmWMCheck::frmWMCheck(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow)
    : QDialog(mainWindow), project_(project), guard_(guard) {
  setObjectName(QStringLiteral("frmWMCheck"));
  setWindowTitle(QLatin1String(kProductName));
  setModal(true);
  buildWindow();
  for (const auto& [name, text] : transferCheckCaptions()) {
    setCaption(findChild<QWidget*>(name), text);
  }
  for (const StatusText& text : transferCheckStatus()) showStatus(text.panel, text.text);
  check_ = checkTransfer(guard_, project_);
  if (check_) showCheck(*check_);
}

frmWMCheck::~frmWMCheck() = default;

void frmWMCheck::buildWindow() {
  tvwWmStatus_ = new QTreeWidget(this);
  tvwWmStatus_->setObjectName(QStringLiteral("tvwWmStatus"));
  tvwWmStatus_->setHeaderHidden(true);
  tvwWmStatus_->setColumnCount(1);
  tvwWmStatus_->setMinimumWidth(220);
  auto* overview = framed(QStringLiteral("fraÜbersicht"), tvwWmStatus_, this);

  lstNullDurchgang_ = new QListWidget(this);
  lstNullDurchgang_->setObjectName(QStringLiteral("lstNullDurchgang"));
  auto* zeroLength = framed(QStringLiteral("frmNullDurchgang"), lstNullDurchgang_, this);

  lblDriveFault_ = label("lblDriveFault", this);
  QPalette fault = lblDriveFault_->palette();
  fault.setColor(QPalette::WindowText, QColor(0xb0, 0x1c, 0x1c));
  lblDriveFault_->setPalette(fault);

  auto* checks = new QGridLayout;
  checks->setHorizontalSpacing(8);
  checks->setColumnStretch(2, 1);
  int row = 0;
  for (const CheckPictures& pictures : {kFrames, kOffset, kZRange}) {
    checks->addWidget(picture(pictures.ok, kPictureCheckOk, this), row, 0);
    checks->addWidget(picture(pictures.failed, kPictureCheckFailed, this), row, 0);
    checks->addWidget(label(pictures.caption, this), row, 1);
    ++row;
  }
  checks->addWidget(lblDriveFault_, 1, 2);

  cmdTransfer_ = button("cmdTransfer", this);
  cmdCancel_ = button("cmdCancel", this);
  cmdWerteProtokol_ = button("cmdWerteProtokol", this);
  connect(cmdTransfer_, &QPushButton::clicked, this, &frmWMCheck::cmdTransfer);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmWMCheck::cmdCancel);
  connect(cmdWerteProtokol_, &QPushButton::clicked, this, &frmWMCheck::cmdWerteProtokol);

  auto* right = new QVBoxLayout;
  right->addLayout(checks);
  right->addSpacing(6);
  right->addWidget(zeroLength, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(overview, 3);
  body->addLayout(right, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdTransfer_);
  buttons->addWidget(cmdWerteProtokol_);
  buttons->addStretch();
  buttons->addWidget(cmdCancel_);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("sbrWMCheck"));
  status->setSizeGripEnabled(false);
  constexpr int kStretch[kPanels] = {0, 1, 1};
  for (int i = 0; i < kPanels; ++i) {
    auto* panel = new QLabel(status);
    panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    panel->setTextFormat(Qt::PlainText);
    panel->setMinimumWidth(90);
    status->addPermanentWidget(panel, kStretch[i]);
    panels_[i] = panel;
  }
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("prbTransfer"));
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(12);
  progress_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->addWidget(progress_);
  layout->addWidget(status);
  layout->setContentsMargins(9, 9, 9, 0);
  resize(620, 400);
}

void frmWMCheck::showCheck(const TransferCheck& check) {
  const std::pair<CheckPictures, bool> shown[] = {
      {kFrames, check.frameRateOk}, {kOffset, check.offsetOk}, {kZRange, check.zRangeOk}};
  for (const auto& [pictures, ok] : shown) {
    findChild<QLabel*>(QLatin1String(pictures.ok))->setVisible(ok);
    findChild<QLabel*>(QLatin1String(pictures.failed))->setVisible(!ok);
  }
  lblDriveFault_->setText(check.driveFault);
  lstNullDurchgang_->clear();
  lstNullDurchgang_->addItems(check.zeroCrossings);

  tvwWmStatus_->clear();
  QHash<QString, QTreeWidgetItem*> nodes;
  for (const TransferCheckNode& node : check.tree) {
    QTreeWidgetItem* parent = nodes.value(node.parentKey);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvwWmStatus_);
    item->setText(0, node.text);
    item->setData(0, Qt::UserRole, node.key);
    nodes.insert(node.key, item);
  }
  tvwWmStatus_->expandAll();

  verdictPicture_ = QLatin1String(check.verdict ? kPictureVerdictOk : kPictureVerdictStop);
  setWindowIcon(QIcon(picturePath(verdictPicture_)));
  setWindowTitle(check.caption);
  const std::array<QWidget*, 5> order =
      check.transferFirst ? std::array<QWidget*, 5>{cmdTransfer_, cmdWerteProtokol_, cmdCancel_,
                                                    tvwWmStatus_, lstNullDurchgang_}
                          : std::array<QWidget*, 5>{cmdCancel_, cmdTransfer_, cmdWerteProtokol_,
                                                    tvwWmStatus_, lstNullDurchgang_};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  order.front()->setFocus();
}

QString frmWMCheck::panelText(int panel) const {
  return panel >= 1 && panel <= kPanels ? panels_[panel - 1]->text() : QString();
}

void frmWMCheck::showStatus(int panel, const QString& text) {
  if (panel >= 1 && panel <= kPanels) panels_[panel - 1]->setText(text);
}

void frmWMCheck::cmdTransfer() {
  // The run processes window events: the button must not start a second run inside it.
  if (running_) return;
  running_ = true;
  cmdTransfer_->setEnabled(false);
  cmdWerteProtokol_->setEnabled(false);
  QWidget* mainWindow = parentWidget() ? parentWidget()->window() : nullptr;
  StatusPanels status(*this);
  WindowLoop loop(progress_, [this] { return project_.abortTransfer; });
  TransferOptions options;
  if (mainWindow) options.mainCaption = mainWindow->windowTitle();
  options.status = &status;
  options.raiseMainWindow = [mainWindow] {
    if (!mainWindow) return;
    mainWindow->raise();
    mainWindow->activateWindow();
  };
  const TransferEnd end = runTransfer(guard_, project_, loop, options);
  running_ = false;
  cmdTransfer_->setEnabled(true);
  cmdWerteProtokol_->setEnabled(true);
  // A lost simulation ends the command where it failed.
  if (end == TransferEnd::Failed) {
    QDialog::done(Rejected);
    return;
  }
  transferred_ = true;
  accept();
  emit transferDone();
}

void frmWMCheck::cmdCancel() {
  project_.abortTransfer = true;
  QDialog::reject();
}

void frmWMCheck::reject() { cmdCancel(); }

void frmWMCheck::cmdWerteProtokol() {
  ::cmdWerteProtokol(project_, QDir::currentPath());
  accept();
}
