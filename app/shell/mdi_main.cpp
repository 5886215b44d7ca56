#include "app/shell/mdi_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

#include "app/cam/frm_kurve.h"
#include "app/common/kernel_client.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/editor/frm_child.h"
#include "app/editor/table_models.h"
#include "app/projectgraph/frm_grafik.h"
#include "app/resources/resource_paths.h"
#include "app/shell/file_commands.h"
#include "app/shell/frm_info.h"
#include "app/shell/frm_input.h"
#include "app/shell/frm_options.h"
#include "app/shell/help_window.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/options.h"
#include "app/shell/project_state.h"
#include "app/simlink/simlink_commands.h"
#include "app/simlink/simulation_guard.h"

namespace {

// A drive window's size when it opens, and its width after mnuCascade.
constexpr int kDriveWindowWidthTwips = 9075;
constexpr int kDriveWindowHeightTwips = 11160;

// The menu items' captions: one or two texts of the string table joined by a blank, or a
// fixed text.
struct Caption {
  const char* name;
  int text = 0;
  int secondText = 0;
  const char* fixed = nullptr;
};
constexpr Caption kCaptions[] = {
    {"mnuProjekt", 102},
    {"mnuProjektOpen", 102, 136},
    {"mnuProjektSave", 102, 137},
    {"mnuDruckerSetup", 134},
    {"mnuProjektCalc", 102, 103},
    {"mnuProjektGrafik", 102, 120},
    {"mnuProjektClose", 135},
    {"mnuWorkingModel", 0, 0, " &motionsim"},
    {"mnuNew", 130},
    {"mnuTransfer", 131},
    {"mnuKurve", 132},
    {"mnutest", 0, 0, "Frames / sec"},
    {"mnuAdams", 0, 0, "&Adams"},
    {"mnuAdamsGet", 0, 0, "Antriebe holen"},
    {"mnuAdamsPush", 0, 0, "Antriebe schreiben"},
    {"mnuFenster", 123},
    {"mnuTileVertical", 124},
    {"mnuTileHorizontal", 125},
    {"mnuCascade", 126},
    {"mnuArrangeIcons", 127},
    {"mnuOptions", 128},
    {"mnuHelp", 0, 0, "&?"},
    {"mnuHelpInhalt", 0, 0, "Inhalt"},
    {"mnuHelpIndex", 0, 0, "Index"},
    {"mnuInfo", 0, 0, "&Info"},
    {"mnuUmrechnung", 0, 0, "Umrechnung"},
    {"mnuGrad", 173},
    {"mnuBogen", 174},
};

QString caption(const char* name) {
  for (const Caption& c : kCaptions) {
    if (qstrcmp(c.name, name) != 0) continue;
    if (c.fixed) return QString::fromUtf8(c.fixed);
    QString text = resString(c.text);
    if (c.secondText) text += QLatin1Char(' ') + resString(c.secondText);
    return text;
  }
  return QString::fromLatin1(name);
}

QMdiSubWindow* subWindowOf(QWidget* child) {
  return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

// Restores the normal pointer when the busy time ends, however it ends.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

MDIMain::MDIMain(ProjectState& project, const KernelClient& kernel, SimulationGuard& guard,
                 bool exchangeMenu, QWidget* parent)
    : QMainWindow(parent), project_(project), kernel_(kernel), guard_(guard) {
  setObjectName(QStringLiteral("MDIMain"));
  setWindowTitle(mainCaption());
  setWindowIcon(QIcon(picturePath(QLatin1String(kPictureProgram))));
  mdiArea_ = new QMdiArea(this);
  mdiArea_->setObjectName(QStringLiteral("mdiArea"));
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);
  buildMenus(exchangeMenu);
  buildStatusBar();

  connect(&project_, &ProjectState::changedStateChanged, this, &MDIMain::showState);
  connect(&project_, &ProjectState::driveListChanged, this, &MDIMain::showDriveCount);
  connect(&project_, &ProjectState::settingsChanged, this, &MDIMain::showSettings);
  showKernelPanel(false);
  showSettings();
  showState(project_.isChanged());
  showDriveCount();
  guard_.run([this](SimulationLink& sim) { project_.simulationDocument = sim.DocumentName(); });
  panels_[1]->setText(project_.simulationDocument);

  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    resize(available.width() * 9 / 10, available.height() * 9 / 10);
  }
}

MDIMain::~MDIMain() {
  // The drive windows go with the main window: that is no closing by the user.
  tearingDown_ = true;
  for (frmChild* child : children_) disconnect(child, nullptr, this, nullptr);
}

QMenu* MDIMain::addMenu(QMenu* parent, const char* name) {
  QMenu* menu = parent ? parent->addMenu(caption(name)) : menuBar()->addMenu(caption(name));
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name));
  return menu;
}

QAction* MDIMain::addItem(QMenu* menu, const char* name, void (MDIMain::*slot)()) {
  QAction* item = menu->addAction(caption(name));
  item->setObjectName(QLatin1String(name));
  if (slot) connect(item, &QAction::triggered, this, slot);
  return item;
}

void MDIMain::buildMenus(bool exchangeMenu) {
  QMenu* projekt = addMenu(nullptr, "mnuProjekt");
  addItem(projekt, "mnuProjektOpen", &MDIMain::ProjektOpen);
  addItem(projekt, "mnuProjektSave", &MDIMain::ProjektSave);
  projekt->addSeparator();
  addItem(projekt, "mnuDruckerSetup", &MDIMain::mnuDruckerSetup);
  projekt->addSeparator();
  addItem(projekt, "mnuProjektCalc", &MDIMain::mnuProjektCalc);
  addItem(projekt, "mnuProjektGrafik", &MDIMain::mnuProjektGrafik);
  projekt->addSeparator();
  connect(addItem(projekt, "mnuProjektClose", nullptr), &QAction::triggered, this, &QWidget::close);
  connect(projekt, &QMenu::aboutToShow, this, &MDIMain::mnuProjektOpening);

  QMenu* simulation = addMenu(nullptr, "mnuWorkingModel");
  addItem(simulation, "mnuNew", &MDIMain::mnuNew);
  addItem(simulation, "mnuTransfer", &MDIMain::openTransfer);
  camItem_ = addItem(simulation, "mnuKurve", &MDIMain::openCam);
  simulation->addSeparator();
  addItem(simulation, "mnutest", &MDIMain::mnutest);
  connect(simulation, &QMenu::aboutToShow, this, &MDIMain::mnuWorkingModelOpening);

  QMenu* adams = addMenu(nullptr, "mnuAdams");
  connectExchangeMenu(adams, addItem(adams, "mnuAdamsGet", nullptr),
                      addItem(adams, "mnuAdamsPush", nullptr), project_,
                      [this](int number) { openDriveWindow(number); });
  adams->menuAction()->setVisible(exchangeMenu);

  windowMenu_ = addMenu(nullptr, "mnuFenster");
  addItem(windowMenu_, "mnuTileVertical", &MDIMain::mnuTileVertical);
  addItem(windowMenu_, "mnuTileHorizontal", &MDIMain::mnuTileHorizontal);
  addItem(windowMenu_, "mnuCascade", &MDIMain::mnuCascade);
  addItem(windowMenu_, "mnuArrangeIcons", &MDIMain::mnuArrangeIcons);
  windowMenu_->addSeparator();
  connect(windowMenu_, &QMenu::aboutToShow, this, &MDIMain::mnuFensterOpening);

  QAction* options = menuBar()->addAction(caption("mnuOptions"));
  options->setObjectName(QStringLiteral("mnuOptions"));
  connect(options, &QAction::triggered, this, &MDIMain::mnuOptions);

  QMenu* help = addMenu(nullptr, "mnuHelp");
  addItem(help, "mnuHelpInhalt", &MDIMain::showHelpContents);
  addItem(help, "mnuHelpIndex", &MDIMain::showHelpIndex);
  help->addSeparator();
  addItem(help, "mnuInfo", &MDIMain::mnuInfo);

  // The drive windows' pop-up on an f cell; never in the menu bar.
  conversionMenu_ = new QMenu(caption("mnuUmrechnung"), this);
  conversionMenu_->setObjectName(QStringLiteral("mnuUmrechnung"));
  conversionMenu_->menuAction()->setObjectName(QStringLiteral("mnuUmrechnung"));
  connect(addItem(conversionMenu_, "mnuGrad", nullptr), &QAction::triggered, this,
          [this] { convert(&frmChild::mnuGrad); });
  connect(addItem(conversionMenu_, "mnuBogen", nullptr), &QAction::triggered, this,
          [this] { convert(&frmChild::mnuBogen); });
}

void MDIMain::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("sbrMain"));
  bar->setSizeGripEnabled(true);
  constexpr int kStretch[kPanels] = {3, 3, 0, 0, 0};
  for (int i = 0; i < kPanels; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    panel->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(panel, kStretch[i]);
    panels_[i] = panel;
  }
  panels_[2]->setAlignment(Qt::AlignCenter);
}

frmChild* MDIMain::driveWindow(int number) const {
  return number >= 0 && number < driveWindowCount() ? children_[number] : nullptr;
}

frmInput* MDIMain::inputChooser() const { return input_; }

QString MDIMain::panelText(int panel) const {
  return panel >= 1 && panel <= kPanels ? panels_[panel - 1]->text() : QString();
}

// ---- status bar

void MDIMain::showKernelPanel(bool afterCalculation) {
  std::optional<int> serverDrives;
  if (afterCalculation) {
    LONG count = 0;
    if (SUCCEEDED(kernel_.server()->get_driveCount(&count))) serverDrives = count;
  }
  panels_[0]->setText(kernelPanelText(kernel_.version(), serverDrives));
}

void MDIMain::showSettings() { panels_[3]->setText(framesPanelText(project_.frameTime())); }

void MDIMain::showState(bool changed) {
  statePicture_ = QLatin1String(changed ? kPictureChanged : kPictureSaved);
  const int side = panels_[2]->fontMetrics().height();
  panels_[2]->setPixmap(QIcon(picturePath(statePicture_)).pixmap(side, side));
}

void MDIMain::showDriveCount() { panels_[4]->setText(drivesPanelText(project_.driveCount())); }

// ---- drive windows

frmChild* MDIMain::openDriveWindow(int number) {
  // A window just opened has not been asked to close, whatever flag its project file stored;
  // a stored "closed" would otherwise skip the question and lose the drive's changes.
  project_.drives()[number].closed = false;
  auto* child = new frmChild(project_, number, kernel_);
  QMdiSubWindow* window = mdiArea_->addSubWindow(child);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->resize(twipsToPixels(kDriveWindowWidthTwips), twipsToPixels(kDriveWindowHeightTwips));
  connect(child, &QObject::destroyed, this, &MDIMain::driveWindowGone);
  connect(child, &frmChild::calculated, this, [this] { showKernelPanel(true); });
  connect(child, &frmChild::conversionRequested, this, &MDIMain::popUpConversion);
  children_.push_back(child);
  window->show();
  return child;
}

void MDIMain::driveWindowGone(QObject* window) {
  if (tearingDown_) return;
  const auto it = std::find_if(children_.begin(), children_.end(),
                               [window](frmChild* child) { return child == window; });
  if (it == children_.end()) return;
  const int number = static_cast<int>(it - children_.begin());
  children_.erase(it);
  driveWindowClosed(project_, number);
  for (frmChild* child : children_)
    child->setWindowNumber(SetChildNumbers(child->windowNumber(), number));
  setWindowTitle(mainCaption());
}

void MDIMain::popUpConversion(int windowNumber, QPoint globalPos) {
  conversionWindow_ = windowNumber;
  conversionMenu_->popup(globalPos);
}

void MDIMain::convert(void (frmChild::*conversion)()) {
  if (frmChild* child = driveWindow(conversionWindow_)) (child->*conversion)();
}

// ---- Project menu

void MDIMain::mnuProjektOpening() {
  const ProjectMenuState state = projectMenuState(project_);
  findChild<QAction*>(QStringLiteral("mnuProjektOpen"))->setEnabled(state.open);
  findChild<QAction*>(QStringLiteral("mnuProjektCalc"))->setEnabled(state.calculate);
  findChild<QAction*>(QStringLiteral("mnuProjektGrafik"))->setEnabled(state.graph);
  findChild<QAction*>(QStringLiteral("mnuProjektSave"))->setEnabled(state.save);
}

void MDIMain::showProjectResult(int firstRecord, int recordsCreated, bool done,
                                const QString& file) {
  for (int number = firstRecord; number < firstRecord + recordsCreated; ++number)
    openDriveWindow(number);
  if (done) setWindowTitle(mainCaption(file));
}

void MDIMain::ProjektOpen() {
  // A project is read only into an empty main window.
  if (project_.driveCount() > 0) return;
  const ProjectFileResult result = ::ProjektOpen(project_);
  showProjectResult(result.firstRecord, result.recordsCreated, result.outcome == FileOutcome::Done,
                    result.fileName);
}

void MDIMain::openProjectFile(const QString& path) {
  if (project_.driveCount() > 0) return;
  const ProjectFileResult result = ::openProjectFile(project_, path);
  showProjectResult(result.firstRecord, result.recordsCreated, result.outcome == FileOutcome::Done,
                    result.fileName);
}

void MDIMain::ProjektSave() {
  const ProjectFileResult result = ::ProjektSave(project_);
  if (result.outcome == FileOutcome::Done) setWindowTitle(mainCaption(result.fileName));
}

void MDIMain::mnuDruckerSetup() { userDialogs().choosePrinter(true); }

void MDIMain::mnuProjektCalc() {
  // A drive's calculation processes window events: the item may be chosen again meanwhile.
  if (calculating_) return;
  calculating_ = true;
  const BusyCursor busy;
  // A window closed during the calculation of another one is skipped.
  const std::vector<QPointer<frmChild>> windows(children_.begin(), children_.end());
  for (const QPointer<frmChild>& child : windows) {
    if (!child) continue;
    mdiArea_->setActiveSubWindow(subWindowOf(child));
    child->DriveCalc();
  }
  calculating_ = false;
}

void MDIMain::mnuProjektGrafik() {
  if (requireCalculatedDrives(project_, windowTitle())) openProjectGraph();
}

void MDIMain::openProjectGraph() { ::openProjectGraph(project_, this); }

// ---- simulation menu

void MDIMain::mnuWorkingModelOpening() {
  bool camEnabled = camItem_->isEnabled();
  guard_.run([&camEnabled](SimulationLink& sim) { camEnabled = sim.CamMenuEnabled(); });
  camItem_->setEnabled(camEnabled);
}

void MDIMain::mnuNew() {
  if (!input_) {
    input_ = new frmInput(project_, guard_, this);
    connect(input_, &frmInput::driveAdded, this, &MDIMain::openDriveWindow);
  }
  input_->show();
  input_->raise();
  input_->activateWindow();
}

void MDIMain::openTransfer() {
  if (::openTransfer(project_, guard_, this)) camItem_->setEnabled(true);
}

void MDIMain::openCam() { ::openCam(project_, guard_, this); }

void MDIMain::mnutest() {
  bool equal = true;
  const SimOutcome outcome =
      guard_.run([&](SimulationLink& sim) { equal = sim.FrameRateProbe(project_.frameTime()); });
  if (outcome == SimOutcome::Done && !equal)
    showMessage(resString(163), QStringLiteral("Frames / sec"), MessageIcon::Critical);
}

// ---- Window menu

void MDIMain::mnuFensterOpening() {
  for (QAction* item : windowItems_) delete item;
  windowItems_.clear();
  const QMdiSubWindow* active = mdiArea_->activeSubWindow();
  for (int number = 0; number < driveWindowCount(); ++number) {
    QMdiSubWindow* window = subWindowOf(children_[number]);
    QAction* item = windowMenu_->addAction(
        QStringLiteral("&%1 %2").arg(number + 1).arg(children_[number]->windowTitle()));
    item->setCheckable(true);
    item->setChecked(window == active);
    connect(item, &QAction::triggered, this,
            [this, window] { mdiArea_->setActiveSubWindow(window); });
    windowItems_.push_back(item);
  }
}

void MDIMain::tile(Qt::Orientation orientation) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder))
    if (window->isVisible() && !window->isMinimized()) windows << window;
  const QRect area = mdiArea_->viewport()->rect();
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* window = windows[i];
    if (window->isMaximized()) window->showNormal();
    if (orientation == Qt::Horizontal) {
      const int left = area.width() * i / n;
      window->setGeometry(left, 0, area.width() * (i + 1) / n - left, area.height());
    } else {
      const int top = area.height() * i / n;
      window->setGeometry(0, top, area.width(), area.height() * (i + 1) / n - top);
    }
  }
}

void MDIMain::mnuTileVertical() { tile(Qt::Horizontal); }

void MDIMain::mnuTileHorizontal() { tile(Qt::Vertical); }

void MDIMain::mnuCascade() {
  mdiArea_->cascadeSubWindows();
  for (QMdiSubWindow* window : mdiArea_->subWindowList())
    if (!window->isMinimized())
      window->resize(twipsToPixels(kDriveWindowWidthTwips), window->height());
}

void MDIMain::mnuArrangeIcons() {
  const QRect area = mdiArea_->viewport()->rect();
  // Minimised windows in rows from the bottom left, a new row above when one is full.
  int x = area.width();
  int y = area.height();
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isMinimized()) continue;
    const QSize size = window->size();
    if (x + size.width() > area.width()) {
      x = 0;
      y -= size.height();
    }
    window->move(x, y);
    x += size.width();
  }
}

// ---- dialogs

void MDIMain::mnuOptions() {
  frmOptions dialog(project_, this);
  dialog.exec();
}

void MDIMain::mnuInfo() {
  frmInfo dialog(kernel_.version(), guard_, this);
  dialog.exec();
}

void MDIMain::showHelpContents() { HelpWindow::instance()->showContents(); }

void MDIMain::showHelpIndex() { HelpWindow::instance()->showIndex(); }

void MDIMain::closeEvent(QCloseEvent* event) {
  // A running project calculation ends first (Escape stops each drive's).
  if (calculating_ || !queryCloseMain(project_)) {
    event->ignore();
    return;
  }
  // The input chooser and the other windows of the program go with the main window.
  for (QWidget* window : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (window->isWindow() && window->isVisible()) window->close();
  event->accept();
}
