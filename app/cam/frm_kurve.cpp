#include "app/cam/frm_kurve.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "app/cam/cam_drawing.h"
#include "app/cam/cam_table_model.h"
#include "app/common/string_table.h"
#include "app/common/window_loop.h"
#include "app/editor/table_models.h"
#include "app/graph/canvas.h"
#include "app/shell/project_state.h"

namespace {

enum StatusPanel {
  kFramePanel = 1,
  kTimePanel,
  kHorizontalPanel,
  kVerticalPanel,
  kRadiusPanel,
  kLastFramePanel,
  kPanelCount = kLastFramePanel
};

constexpr int kControlsWidth = 230;

// Keeps its one child a centred square, as large as fits: a view's two axes have the same
// scale.
class SquareHolder : public QWidget {
 public:
  explicit SquareHolder(QWidget* child) : child_(child) {
    child_->setParent(this);
    setMinimumSize(120, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const int side = std::min(width(), height());
    child_->setGeometry((width() - side) / 2, (height() - side) / 2, side, side);
  }

 private:
  QWidget* child_;
};

// The multiplier's frame has no text of the string table.
QString multiplierTitle() {
  return currentLanguage() == Language::German ? QStringLiteral("Multiplikator")
                                               : QStringLiteral("Multiplier");
}

// A line edit in its titled frame.
QLineEdit* framedLine(QVBoxLayout* column, const QString& frameName, const QString& title,
                      const QString& name, const QString& text) {
  auto* line = new QLineEdit(text);
  line->setObjectName(name);
  column->addWidget(titledFrame(frameName, title, line));
  return line;
}

}  // namespace

// The run's status panels and the table growing with it, refreshed a few times a second.
class frmKurve::RunStatus : public ThrottledStatusSink {
 public:
  explicit RunStatus(frmKurve& window) : window_(window) {}
  void showStatus(const QList<StatusText>& texts) override {
    for (const StatusText& text : texts) window_.status_->setText(text.panel, text.text);
    window_.model_->sync();
    window_.flgKurve_->scrollToBottom();
  }

 private:
  frmKurve& window_;
};

frmKurve::frmKurve(ProjectState& project, SimulationGuard& guard, QWidget* parent)
    : QMainWindow(parent), project_(project), session_(guard) {
  setObjectName(QStringLiteral("frmKurve"));
  const KurveTexts texts = CamSession::texts(project_.transferFrameCount);
  setWindowTitle(texts.caption);
  buildMenu(texts);

  auto* right = new QSplitter(Qt::Vertical);
  right->setObjectName(QStringLiteral("splKurve"));
  right->setChildrenCollapsible(false);
  right->addWidget(buildViews(texts));
  right->addWidget(buildTable(texts));
  right->setStretchFactor(0, 3);
  right->setStretchFactor(1, 2);
  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(buildControls(texts));
  layout->addWidget(right, 1);
  setCentralWidget(central);
  buildStatusBar();

  // lstBody first, then the controls from top to bottom, the table last.
  QWidget* order[] = {lstBody_,
                      findChild<QPushButton*>(QStringLiteral("cmdBodyA")),
                      findChild<QPushButton*>(QStringLiteral("cmdBodyB")),
                      txtFrame_,
                      txtMultiplikator_,
                      cmdRun_,
                      flgKurve_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  lstBody_->setFocus();

  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QSize available = screen->availableGeometry().size();
    resize(available.width() * 3 / 4, available.height() * 4 / 5);
  }
  BodyList();
  showTable();
  showViews();
}

frmKurve::~frmKurve() = default;

void frmKurve::buildMenu(const KurveTexts& texts) {
  QMenu* menu = menuBar()->addMenu(texts.menuKurve);
  menu->setObjectName(QStringLiteral("mnuKurve"));
  menu->menuAction()->setObjectName(QStringLiteral("mnuKurve"));
  mnuWritetofile_ = menu->addAction(texts.menuWriteToFile, this, &frmKurve::WriteToFile);
  mnuWritetofile_->setObjectName(QStringLiteral("mnuWritetofile"));
  mnuKurveAktualisieren_ = menu->addAction(texts.menuRefresh, this, &frmKurve::Aktualisieren);
  mnuKurveAktualisieren_->setObjectName(QStringLiteral("mnuKurveAktualisieren"));
  QAction* close = menu->addAction(texts.menuClose, this, &QWidget::close);
  close->setObjectName(QStringLiteral("mnuKurveClose"));
  connect(menu, &QMenu::aboutToShow, this, &frmKurve::updateMenu);
}

QWidget* frmKurve::buildControls(const KurveTexts& texts) {
  controls_ = new QWidget;
  controls_->setObjectName(QStringLiteral("pnlControls"));
  controls_->setFixedWidth(kControlsWidth);
  auto* column = new QVBoxLayout(controls_);
  column->setContentsMargins(0, 0, 0, 0);

  lstBody_ = new QListWidget;
  lstBody_->setObjectName(QStringLiteral("lstBody"));
  column->addWidget(titledFrame(QStringLiteral("fraWMBodies"), texts.bodiesFrame, lstBody_), 1);

  const struct {
    CamBody body;
    const char* frame;
    const char* button;
    const char* line;
    QString title;
    QLineEdit** edit;
  } bodies[] = {{CamBody::Roller, "fraBodyA", "cmdBodyA", "txtBodyA", texts.roller, &txtBodyA_},
                {CamBody::Plate, "fraBodyB", "cmdBodyB", "txtBodyB", texts.plate, &txtBodyB_}};
  for (const auto& b : bodies) {
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(b.title);
    button->setObjectName(QString::fromLatin1(b.button));
    auto* line = new QLineEdit;
    line->setObjectName(QString::fromLatin1(b.line));
    line->setReadOnly(true);
    line->setFocusPolicy(Qt::NoFocus);
    row->addWidget(button);
    row->addWidget(line, 1);
    column->addWidget(titledFrame(QString::fromLatin1(b.frame), b.title, content));
    *b.edit = line;
    const CamBody which = b.body;
    connect(button, &QPushButton::clicked, this, [this, which] { pickBody(which); });
  }

  txtFrame_ = framedLine(column, QStringLiteral("fraFrame"), texts.frameFrame,
                         QStringLiteral("txtFrame"), texts.frameText);
  txtMultiplikator_ = framedLine(column, QStringLiteral("fraMultiplikator"), multiplierTitle(),
                                 QStringLiteral("txtMultiplikator"), QStringLiteral("1"));
  txtMultiplikator_->installEventFilter(this);

  cmdRun_ = new QPushButton(texts.runButton);
  cmdRun_->setObjectName(QStringLiteral("cmdRun"));
  column->addWidget(cmdRun_);
  connect(cmdRun_, &QPushButton::clicked, this, &frmKurve::Run);
  connect(txtFrame_, &QLineEdit::returnPressed, this, [this] {
    cmdRun_->setFocus();
    Run();
  });
  return controls_;
}

QWidget* frmKurve::buildViews(const KurveTexts& texts) {
  auto* views = new QWidget;
  auto* row = new QHBoxLayout(views);
  row->setContentsMargins(0, 0, 0, 0);
  for (int v = 0; v < kCamViews; ++v) {
    auto* picture = new Canvas;
    picture->setObjectName(QStringLiteral("picKurve%1").arg(v));
    picture->setCrossCursor(true);
    connect(picture, &Canvas::mouseMoved, this, [this, v](QPointF at) { readOut(v, at); });
    connect(picture, &Canvas::mousePressed, this,
            [this, v](QPointF at, Qt::MouseButton button) { zoom(v, at, button); });
    row->addWidget(titledFrame(QStringLiteral("fraKurve%1").arg(v), texts.planes[v],
                               new SquareHolder(picture)));
    pictures_[v] = picture;
  }
  return views;
}

QWidget* frmKurve::buildTable(const KurveTexts& texts) {
  model_ = new CamTableModel(session_.table(), this);
  flgKurve_ = new QTableView;
  flgKurve_->setObjectName(QStringLiteral("flgKurve"));
  flgKurve_->setModel(model_);
  flgKurve_->setSelectionBehavior(QAbstractItemView::SelectRows);
  flgKurve_->setSelectionMode(QAbstractItemView::SingleSelection);
  flgKurve_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  flgKurve_->verticalHeader()->hide();
  flgKurve_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  flgKurve_->verticalHeader()->setDefaultSectionSize(flgKurve_->fontMetrics().height() + 4);
  QHeaderView* columns = flgKurve_->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  for (int c = 0; c < CamTable::kColumns; ++c) {
    columns->resizeSection(c, twipsToPixels(c == CamTable::kFrame ? CamTable::kFrameColumnTwips
                                                                  : CamTable::kValueColumnTwips));
  }
  connect(flgKurve_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { markRow(current.row()); });
  return titledFrame(QStringLiteral("fraSpline"), texts.tableFrame, flgKurve_);
}

void frmKurve::buildStatusBar() {
  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("sbrKurve"));
  bar->setSizeGripEnabled(false);
  status_.emplace(bar, kPanelCount, std::vector<int>{90, 110, 100, 100, 100, 170}, kLastFramePanel);
  prbKurve_ = new QProgressBar;
  prbKurve_->setObjectName(QStringLiteral("prbKurve"));
  prbKurve_->setMaximumWidth(160);
  prbKurve_->setTextVisible(false);
  prbKurve_->hide();
  bar->addPermanentWidget(prbKurve_);
  setStatusBar(bar);
}

QString frmKurve::statusPanelText(int panel) const { return status_->text(panel); }

void frmKurve::BodyList() {
  const SimOutcome outcome = session_.BodyList();
  lstBody_->clear();
  for (const BodyEntry& body : session_.bodies()) {
    auto* item = new QListWidgetItem(body.text, lstBody_);
    item->setData(Qt::UserRole, body.id);
  }
  // After a failed call the guard has spoken; asking again would only repeat it.
  if (outcome == SimOutcome::Done) showSimulationStatus();
}

void frmKurve::showSimulationStatus() {
  const std::optional<QList<StatusText>> texts = session_.statusTexts();
  for (const StatusText& text : texts.value_or(QList<StatusText>())) {
    status_->setText(text.panel, text.text);
  }
}

void frmKurve::pickBody(CamBody which) {
  if (running_) return;
  const int row = lstBody_->currentRow();
  const bool selected = row >= 0 && lstBody_->currentItem()->isSelected();
  session_.pickBody(which, selected ? std::optional<int>(row) : std::nullopt);
  (which == CamBody::Roller ? txtBodyA_ : txtBodyB_)->setText(session_.bodyText(which));
  showTable();
  showViews();
}

void frmKurve::Run() {
  if (running_) return;
  running_ = true;
  controls_->setEnabled(false);
  menuBar()->setEnabled(false);
  CamRunEnd end = CamRunEnd::Failed;
  {
    WindowLoop loop(prbKurve_);
    RunStatus status(*this);
    end = session_.run(txtFrame_->text(), txtMultiplikator_->text(), project_.decimals(), loop,
                       &status);
  }
  running_ = false;
  controls_->setEnabled(true);
  menuBar()->setEnabled(true);
  cmdRun_->setFocus();
  showTable();
  showViews();
  if (end == CamRunEnd::Completed || end == CamRunEnd::Cancelled) showSimulationStatus();
}

void frmKurve::Multiplikator() {
  if (running_ || !session_.Multiplikator(txtMultiplikator_->text())) return;
  showTable();
  showViews();
}

void frmKurve::Aktualisieren() {
  session_.refresh();
  showViews();
}

void frmKurve::WriteToFile() { session_.WriteToFile(); }

void frmKurve::showTable() {
  model_->sync();
  updateMenu();
}

void frmKurve::showViews() {
  for (int v = 0; v < kCamViews; ++v) fillDrawing(session_.drawing(v), pictures_[v]->editDrawing());
}

void frmKurve::updateMenu() {
  const bool enabled = session_.exportEnabled();
  mnuWritetofile_->setEnabled(enabled);
  mnuKurveAktualisieren_->setEnabled(enabled);
}

void frmKurve::readOut(int view, QPointF at) {
  const ReadOut r = ::readOut(view, at);
  status_->setText(kHorizontalPanel, r.horizontal);
  status_->setText(kVerticalPanel, r.vertical);
  status_->setText(kRadiusPanel, r.radius);
  pictures_[view]->showToolTip(r.toolTip);
}

void frmKurve::zoom(int view, QPointF at, Qt::MouseButton button) {
  if (!running_ && session_.zoom(view, button, at)) showViews();
}

void frmKurve::markRow(int row) {
  if (running_) return;
  session_.setMarkerRow(row >= 0 ? std::optional<int>(row) : std::nullopt);
  showViews();
}

bool frmKurve::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtMultiplikator_ && event->type() == QEvent::MouseButtonDblClick) {
    Multiplikator();
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmKurve::closeEvent(QCloseEvent* event) {
  // A run ends first (Escape stops it): the window stays while it records.
  if (running_) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

frmKurve* openCam(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow) {
  static QPointer<frmKurve> open;
  if (!open) {
    open = new frmKurve(project, guard, mainWindow);  // a window of its own over the main window
    open->setAttribute(Qt::WA_DeleteOnClose);
  }
  open->show();
  open->raise();
  open->activateWindow();
  return open;
}
