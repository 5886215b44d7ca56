#include "app/shell/frm_input.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/common/string_table.h"

namespace {

QListWidget* list(const char* name, QWidget* parent) {
  auto* widget = new QListWidget(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setMouseTracking(true);
  widget->setMinimumWidth(180);
  return widget;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
  auto* widget = new QPushButton(caption, parent);
  widget->setObjectName(QLatin1String(name));
  widget->setAutoDefault(false);
  return widget;
}

QGroupBox* framed(const QString& title, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(content);
  return box;
}

}  // namespace

frmInput::frmInput(ProjectState& project, SimulationGuard& guard, QWidget* parent)
    : QDialog(parent), project_(project), chooser_(project, guard) {
  setObjectName(QStringLiteral("frmInput"));
  setWindowTitle(resString(156));

  lstWMInput_ = list("lstWMInput", this);
  lstDriveInput_ = list("lstDriveInput", this);
  auto* inputs = framed(QStringLiteral("motionsim"), lstWMInput_, this);
  auto* fraDriveInput = framed(QLatin1String(kProductName), lstDriveInput_, this);
  fraDriveInput->setObjectName(QStringLiteral("fraDriveInput"));

  auto* add = button("cmdAdd", resString(154), this);
  auto* refresh = button("cmdInputAktuali", resString(121), this);
  auto* ok = button("cmdOK", QStringLiteral("OK"), this);
  connect(add, &QPushButton::clicked, this, &frmInput::cmdAdd);
  connect(lstWMInput_, &QListWidget::itemDoubleClicked, this, &frmInput::cmdAdd);
  connect(refresh, &QPushButton::clicked, this, &frmInput::InputAktualisieren);
  connect(ok, &QPushButton::clicked, this, &QWidget::hide);

  auto* middle = new QVBoxLayout;
  middle->addStretch();
  middle->addWidget(add);
  middle->addStretch();
  auto* lists = new QHBoxLayout;
  lists->addWidget(inputs, 1);
  lists->addLayout(middle);
  lists->addWidget(fraDriveInput, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refresh);
  buttons->addStretch();
  buttons->addWidget(ok);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("sbrInput"));
  status->setSizeGripEnabled(false);
  documentPanel_ = new QLabel(status);
  documentPanel_->setObjectName(QStringLiteral("panel1"));
  documentPanel_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  status->addPermanentWidget(documentPanel_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(buttons);
  layout->addWidget(status);
  layout->setContentsMargins(9, 9, 9, 0);

  for (QListWidget* widget : {lstWMInput_, lstDriveInput_})
    widget->viewport()->installEventFilter(this);
  connect(&project_, &ProjectState::driveListChanged, this, &frmInput::showDrives);

  chooser_.load();
  documentPanel_->setText(chooser_.documentName());
  showInputs();
  showDrives();
  resize(520, 360);
}

void frmInput::InputAktualisieren() {
  chooser_.InputAktualisieren();
  showInputs();
}

void frmInput::showInputs() {
  lstWMInput_->clear();
  for (const SimulationInput& input : chooser_.inputs()) {
    auto* item = new QListWidgetItem(input.name, lstWMInput_);
    item->setData(Qt::UserRole, input.id);
  }
}

void frmInput::showDrives() {
  lstDriveInput_->clear();
  const QStringList names = chooser_.driveInputs();
  for (int i = 0; i < names.size(); ++i) {
    auto* item = new QListWidgetItem(names[i], lstDriveInput_);
    item->setData(Qt::UserRole, project_.drives()[i].id);
  }
}

void frmInput::cmdAdd() {
  const std::optional<int> number = chooser_.cmdAdd(lstWMInput_->currentRow());
  if (!number) return;
  emit driveAdded(*number);
  raise();
  activateWindow();
}

bool frmInput::eventFilter(QObject* watched, QEvent* event) {
  // Over either list, its tool tip is its selected entry.
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    for (QListWidget* widget : {lstWMInput_, lstDriveInput_}) {
      if (watched != widget->viewport()) continue;
      const QListWidgetItem* current = widget->currentItem();
      const QString tip = current ? current->text() : QString();
      widget->setToolTip(tip);
      widget->viewport()->setToolTip(tip);
    }
  }
  return QDialog::eventFilter(watched, event);
}
