#include "app/projectgraph/frm_grafik.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QRubberBand>
#include <QScreen>
#include <QStatusBar>

#include <utility>

#include "app/common/string_table.h"
#include "app/graph/canvas.h"
#include "app/shell/project_state.h"

namespace {

constexpr int kTextGraph = 120;    // "Grafik"
constexpr int kTextRefresh = 121;  // "Aktualisieren"
constexpr int kTextClose = 122;    // "Schließen"

enum StatusPanel { kCaptionPanel = 1, kZPanel, kValuePanel, kViewPanel, kPanelCount = kViewPanel };

}  // namespace

frmGrafik::frmGrafik(ProjectState& project, QWidget* parent)
    : QMainWindow(parent), project_(project) {
  setObjectName(QStringLiteral("frmGrafik"));
  setWindowTitle(projectGraphCaption());
  buildMenu();

  container_ = new QWidget;
  container_->setObjectName(QStringLiteral("picContainer"));
  container_->setMouseTracking(true);
  container_->installEventFilter(this);
  auto* grid = new QGridLayout(container_);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  for (int k = 0; k < kProjectPanelCount; ++k) {
    auto* picture = new Canvas;
    picture->setObjectName(QStringLiteral("picGrafik%1").arg(k));
    picture->setCrossCursor(true);
    picture->setMinimumSize(120, 80);
    connect(picture, &Canvas::mouseMoved, this,
            [this, k](QPointF at, Qt::MouseButtons buttons) { mouseMoved(k, at, buttons); });
    connect(picture, &Canvas::mousePressed, this,
            [this, k](QPointF at, Qt::MouseButton button) { mousePressed(k, at, button); });
    connect(picture, &Canvas::mouseReleased, this,
            [this, k](QPointF at, Qt::MouseButton button) { mouseReleased(k, at, button); });
    QGroupBox* frame =
        titledFrame(QStringLiteral("fraGrafik%1").arg(k), projectPanelCaption(k), picture);
    frame->setMouseTracking(true);
    frame->installEventFilter(this);
    grid->addWidget(frame, k / 2, k % 2);
    frames_[k] = frame;
    pictures_[k] = picture;
  }
  setCentralWidget(container_);

  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("sbrGrafik"));
  bar->setSizeGripEnabled(false);
  bar->installEventFilter(this);
  status_.emplace(bar, kPanelCount, std::vector<int>{170, 130, 130, 50}, kValuePanel);
  setStatusBar(bar);

  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, container_);

  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QSize available = screen->availableGeometry().size();
    resize(available.width() * 7 / 10, available.height() * 7 / 10);
  }
  connect(&project_, &ProjectState::driveListChanged, this, &frmGrafik::Aktualisieren);
  Aktualisieren();
}

void frmGrafik::buildMenu() {
  QMenu* menu = menuBar()->addMenu(resString(kTextGraph));
  menu->setObjectName(QStringLiteral("mnuGrafik"));
  menu->menuAction()->setObjectName(QStringLiteral("mnuGrafik"));
  QAction* refresh = menu->addAction(resString(kTextRefresh), this, &frmGrafik::Aktualisieren);
  refresh->setObjectName(QStringLiteral("mnuGrafikAktualisieren"));
  QAction* close = menu->addAction(resString(kTextClose), this, &QWidget::close);
  close->setObjectName(QStringLiteral("mnuClose"));
}

QString frmGrafik::statusPanelText(int panel) const { return status_->text(panel); }

void frmGrafik::Aktualisieren() {
  readDrives();
  normalView();
}

void frmGrafik::readDrives() {
  drives_.clear();
  for (const DriveRecord& record : project_.drives()) {
    drives_.push_back(driveCurves(*record.document, project_.frameTime()));
  }
}

void frmGrafik::normalView() {
  zoomStart_.reset();
  rubberBand_->hide();
  const ProjectPanels panels = projectGraph(drives_);
  for (int k = 0; k < kProjectPanelCount; ++k) pictures_[k]->setDrawing(panels[k]);
  status_->setText(kViewPanel, QString::fromLatin1(kNormalStatus));
}

void frmGrafik::MouseLineOff() {
  for (Canvas* picture : pictures_) picture->hideCursorLines();
}

void frmGrafik::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  normalView();
}

bool frmGrafik::eventFilter(QObject* watched, QEvent* event) {
  const bool onStatusBar = watched == statusBar();
  if ((event->type() == QEvent::MouseMove && !onStatusBar) ||
      (event->type() == QEvent::MouseButtonPress && onStatusBar)) {
    MouseLineOff();
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmGrafik::mouseMoved(int k, QPointF at, Qt::MouseButtons buttons) {
  for (Canvas* picture : pictures_) {
    picture->setVerticalCursor(at.x());
    picture->setHorizontalCursor(at.y());
  }
  const PanelReadout readout = panelReadout(k, at);
  status_->setText(kCaptionPanel, readout.caption);
  status_->setText(kZPanel, readout.zText);
  status_->setText(kValuePanel, readout.valueText);
  if (zoomStart_ && k == zoomPanel_ && (buttons & Qt::LeftButton)) {
    // The rectangle dragged so far, in the container's pixels.
    const Canvas* picture = pictures_[k];
    const QPoint from = picture->mapTo(container_, picture->toWidget(*zoomStart_).toPoint());
    const QPoint to = picture->mapTo(container_, picture->toWidget(at).toPoint());
    rubberBand_->setGeometry(QRect(from, to).normalized());
    rubberBand_->show();
  }
}

void frmGrafik::mousePressed(int k, QPointF at, Qt::MouseButton) {
  zoomStart_ = at;
  zoomPanel_ = k;
}

void frmGrafik::mouseReleased(int k, QPointF at, Qt::MouseButton button) {
  rubberBand_->hide();
  if (button == Qt::RightButton) {
    normalView();
    return;
  }
  const std::optional<QPointF> start = std::exchange(zoomStart_, std::nullopt);
  if (button != Qt::LeftButton || !start || k != zoomPanel_) return;
  const std::optional<UserScale> rect = zoomRectangle(*start, at);
  if (!rect) return;
  zoomPanel(pictures_[k]->editDrawing(), k, drives_, *rect);
  status_->setText(kViewPanel, QString::fromLatin1(kZoomStatus));
}

frmGrafik* openProjectGraph(ProjectState& project, QWidget* mainWindow) {
  static QPointer<frmGrafik> open;
  if (open) {
    open->Aktualisieren();
  } else {
    open = new frmGrafik(project, mainWindow);  // a window of its own over the main window
    open->setAttribute(Qt::WA_DeleteOnClose);
  }
  open->show();
  open->raise();
  open->activateWindow();
  return open;
}
