#include "app/editor/frm_child.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRubberBand>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <span>

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/common/window_loop.h"
#include "app/common/window_parts.h"
#include "app/editor/parameter_columns.h"
#include "app/editor/result_export.h"
#include "app/editor/table_models.h"
#include "app/graph/canvas.h"
#include "app/resources/resource_paths.h"
#include "app/shell/file_commands.h"
#include "app/shell/main_window_logic.h"

namespace {

// The window's first size in twips (the screen has 15 twips per pixel).
constexpr int kWidthTwips = 9075;
constexpr int kHeightTwips = 11160;
// The printed page: the input table's picture lies this far from the left and the top.
constexpr int kPrintLeftTwips = 400;
constexpr int kPrintTopTwips = 1000;
constexpr int kTwipsPerInch = 1440;
// Input rows the window shows at first.
constexpr int kShownInputRows = 7;
// About the height of the toolbar and the status bar together.
constexpr int kToolbarAndStatusHeight = 90;

// Texts of the string table.
constexpr int kValuesText = 114;
constexpr int kGraphsText = 120;
constexpr int kPeriodicText = 111;
constexpr int kOffsetText = 108;
constexpr int kColorText = 107;
constexpr int kNoteText = 112;
constexpr int kNormalisedText = 113;
constexpr int kCamSpeedText = 192;
constexpr int kColorTipText = 186;

// The toolbar tbrDrive: index, key, caption and tool tip texts, picture. Indices 4 and 6
// are separators.
struct ToolButton {
  int index;
  const char* key;  // UTF-8
  int caption;      // 0: the fixed caption "Export"
  int toolTip;      // 0: none
  const char* picture;
};
constexpr ToolButton kToolButtons[] = {
    {1, "Open", 101, 178, "tool_open.svg"},
    {2, "Save", 101, 179, "tool_save.svg"},
    {3, "Print", 101, 180, "tool_print.svg"},
    {5, "Calc", 103, 181, "tool_calc.svg"},
    {7, "Löschen", 104, 182, "tool_clear.svg"},
    {8, "Delline", 105, 183, "tool_delline.svg"},
    {9, "newline", 105, 184, "tool_newline.svg"},
    {10, "Sort", 106, 185, "tool_sort.svg"},
    {11, "DriveColor", 107, 186, "tool_color.svg"},
    {12, "ExportBerechnung", 0, 0, "tool_export.svg"},
};
constexpr int kSeparators[] = {4, 6};
constexpr int kExportButton = 12;

// The graphs' frames, by graph index.
constexpr const char* kGraphFrames[kDriveGraphCount] = {"fraFunktion",    "fra1Ableitung",
                                                        "fra2Ableitung",  "fra3Ableitung",
                                                        "fra12Ableitung", "fra23Ableitung"};

// The status bar's panels: 1 the record's ID, 2 and 3 the read-out, 4 the drive name or the
// value count, 5 the calculation-state picture, 6 the window number.
constexpr int kIdPanel = 1;
constexpr int kZPanel = 2;
constexpr int kValuePanel = 3;
constexpr int kCountPanel = 4;
constexpr int kStatePanel = 5;
constexpr int kNumberPanel = 6;

// Pixels around a cell's text in the tables.
constexpr int kCellPadding = 12;
constexpr int kRowPadding = 8;
// Result rows whose texts decide a result column's width: the first and the last ones.
constexpr int kSampledRows = 50;

QString key(const ToolButton& button) { return QString::fromUtf8(button.key); }

// Column 0 of the input and segment tables holds the running number and looks like the
// header: it is never current and never edited.
class NumberColumnDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (index.column() != InputTable::kNumber) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionHeader header;
    header.initFrom(option.widget);
    header.rect = option.rect;
    header.state = QStyle::State_Enabled | QStyle::State_Raised;
    header.text = index.data().toString();
    header.textAlignment = Qt::AlignCenter;
    header.orientation = Qt::Vertical;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    painter->save();  // the header style leaves its clip behind
    style->drawControl(QStyle::CE_Header, &header, painter, option.widget);
    painter->restore();
  }
};

// The law list: a law picked from its open pop-up is taken as Enter takes it.
class LawList : public QComboBox {
 public:
  explicit LawList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this] {
      if (!fromPopup_) return;  // a step with the arrow keys
      fromPopup_ = false;
      if (pickedFromPopup) pickedFromPopup();
    });
  }
  std::function<void()> pickedFromPopup;
  void showPopup() override {
    fromPopup_ = true;
    QComboBox::showPopup();
  }
  void hidePopup() override {
    QComboBox::hidePopup();
    // A pick is announced right after the pop-up hides; a pop-up closed without one is over.
    QTimer::singleShot(0, this, [this] { fromPopup_ = false; });
  }

 private:
  bool fromPopup_ = false;
};

// The table views' common form: fixed row heights (a table of a million rows scrolls without
// measuring any), centred cells, the columns at least as wide as the twips say and as their
// headers need.
void setUpTable(QTableView* view, std::span<const int> twips) {
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->setCornerButtonEnabled(false);
  QHeaderView* rows = view->verticalHeader();
  const int rowHeight = view->fontMetrics().height() + kRowPadding;
  rows->setMinimumSectionSize(rowHeight);
  rows->setDefaultSectionSize(rowHeight);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultAlignment(Qt::AlignCenter);
  QHeaderView* columns = view->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setHighlightSections(false);
  columns->setMinimumSectionSize(twipsToPixels(twips[0]));
  for (int c = 0; c < static_cast<int>(twips.size()); ++c) {
    const QString text = view->model()->headerData(c, Qt::Horizontal).toString();
    const int needed = view->fontMetrics().horizontalAdvance(text) + kCellPadding;
    columns->resizeSection(c, std::max(twipsToPixels(twips[c]), needed));
  }
}

void setUpInputTable(QTableView* view) {
  view->setItemDelegate(new NumberColumnDelegate(view));
  view->verticalHeader()->hide();
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  setUpTable(view, kInputColumnTwips);
}

QLabel* statusPanel(const QString& objectName) {
  auto* panel = new QLabel;
  panel->setObjectName(objectName);
  panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return panel;
}

// The busy pointer for a scope.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QModelIndex gridIndex(const QAbstractItemModel* model, int gridRow, int column) {
  return model->index(gridRow - 1, column);
}

}  // namespace

frmChild::frmChild(ProjectState& project, int windowNumber, const KernelClient& kernel,
                   QWidget* parent)
    : QWidget(parent),
      project_(project),
      windowNumber_(windowNumber),
      document_(project.drives().at(windowNumber).document),
      editor_(*document_, kernel, this),
      inputModel_(new InputTableModel(document_->input.dataRows(), this)),
      segmentModel_(new InputTableModel(document_->segmentRows, this)),
      resultModel_(new ResultModel(document_->results, this)) {
  setObjectName(QStringLiteral("frmChild"));
  setWindowIcon(QIcon(picturePath(kPictureProgram)));

  buildToolbar();
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setObjectName(QStringLiteral("splitter"));
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(buildInputArea());
  splitter->addWidget(buildResults());
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 5);
  // The input table starts with room for a drive of a few segments; the graphs take the rest.
  const int rowHeight = flgEingabe_->verticalHeader()->defaultSectionSize();
  flgEingabe_->setMinimumHeight(4 * rowHeight);
  const int tableHeight =
      flgEingabe_->horizontalHeader()->sizeHint().height() + kShownInputRows * rowHeight +
      style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * flgEingabe_->frameWidth();
  const int inputHeight =
      splitter->widget(0)->minimumSizeHint().height() - flgEingabe_->minimumHeight() + tableHeight;
  splitter->setSizes({inputHeight, sizeHint().height() - inputHeight - kToolbarAndStatusHeight});
  buildStatusBar();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tbrDrive_);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(6, 4, 6, 2);
  body->addWidget(splitter);
  layout->addLayout(body, 1);
  layout->addWidget(findChild<QStatusBar*>(QStringLiteral("sbrStatus")));

  connectEditor();
  refreshFromDocument();
  setWindowNumber(windowNumber);
}

frmChild::~frmChild() = default;

// ---------------------------------------------------------------------------------------
// Building the window

void frmChild::buildToolbar() {
  tbrDrive_ = new QToolBar;
  tbrDrive_->setObjectName(QStringLiteral("tbrDrive"));
  tbrDrive_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  tbrDrive_->setIconSize(QSize(22, 22));
  // Captions a little smaller than the text, so that all ten buttons fit the window's width.
  QFont captions = tbrDrive_->font();
  captions.setPointSizeF(captions.pointSizeF() * 0.9);
  tbrDrive_->setFont(captions);
  for (const ToolButton& button : kToolButtons) {
    const int before = button.index - 1;
    if (std::find(std::begin(kSeparators), std::end(kSeparators), before) != std::end(kSeparators))
      buttons_[before] = tbrDrive_->addSeparator();
    QAction* action =
        tbrDrive_->addAction(QIcon(picturePath(QString::fromLatin1(button.picture))),
                             button.caption ? resString(button.caption) : QStringLiteral("Export"));
    action->setObjectName(QStringLiteral("tbrDrive_") + key(button));
    action->setData(key(button));
    action->setProperty("index", button.index);
    if (button.toolTip) action->setToolTip(resString(button.toolTip));
    buttons_[button.index] = action;
    connect(action, &QAction::triggered, this, [this, k = key(button)] { tbrDriveButtonClick(k); });
  }
}

QWidget* frmChild::buildInputArea() {
  flgEingabe_ = new QTableView;
  flgEingabe_->setObjectName(QStringLiteral("flgEingabe"));
  flgEingabe_->setModel(inputModel_);
  setUpInputTable(flgEingabe_);
  flgEingabe_->installEventFilter(this);
  flgEingabe_->viewport()->installEventFilter(this);

  // The overlay editors live on the grid's viewport, so they scroll with their cell.
  txtEdit_ = new QLineEdit(flgEingabe_->viewport());
  txtEdit_->setObjectName(QStringLiteral("txtEdit"));
  txtEdit_->setFont(flgEingabe_->font());
  txtEdit_->setFrame(false);
  txtEdit_->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(highlight); }"));
  txtEdit_->setAlignment(Qt::AlignCenter);
  txtEdit_->hide();
  txtEdit_->installEventFilter(this);

  auto* lawList = new LawList(flgEingabe_->viewport());
  lawList->pickedFromPopup = [this] { editor_.lawListKeyDown(Qt::Key_Return); };
  cboDriveList_ = lawList;
  cboDriveList_->setObjectName(QStringLiteral("cboDriveList"));
  cboDriveList_->setFont(flgEingabe_->font());
  cboDriveList_->addItems(editor_.lawList());
  cboDriveList_->setCurrentIndex(editor_.lawIndex());
  cboDriveList_->hide();
  cboDriveList_->installEventFilter(this);

  flgBerechnung_ = new QTableView;
  flgBerechnung_->setObjectName(QStringLiteral("flgBerechnung"));
  flgBerechnung_->setModel(segmentModel_);
  setUpInputTable(flgBerechnung_);

  inputStack_ = new QStackedWidget;
  inputStack_->setObjectName(QStringLiteral("stkEingabe"));
  inputStack_->addWidget(flgEingabe_);
  inputStack_->addWidget(flgBerechnung_);

  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("fraEingabe"));
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->setSpacing(6);
  layout->addWidget(inputStack_, 1);
  layout->addWidget(buildSettingsRow());
  return area;
}

QWidget* frmChild::buildSettingsRow() {
  chkPeriodisch_ = new QCheckBox(resString(kPeriodicText));
  chkPeriodisch_->setObjectName(QStringLiteral("chkPeriodisch"));

  txtAnfLaenge_ = new QLineEdit;
  txtAnfLaenge_->setObjectName(QStringLiteral("txtAnfLaenge"));
  txtAnfLaenge_->setAlignment(Qt::AlignRight);
  txtAnfLaenge_->installEventFilter(this);

  txtDriveColor_ = new QLineEdit;
  txtDriveColor_->setObjectName(QStringLiteral("txtDriveColor"));
  txtDriveColor_->setReadOnly(true);
  txtDriveColor_->setFocusPolicy(Qt::NoFocus);
  txtDriveColor_->setCursor(Qt::PointingHandCursor);
  txtDriveColor_->setToolTip(resString(kColorTipText));
  txtDriveColor_->setFixedWidth(48);
  txtDriveColor_->installEventFilter(this);

  txtKurvenGeschwindigkeit_ = new QLineEdit;
  txtKurvenGeschwindigkeit_->setObjectName(QStringLiteral("txtKurvenGeschwindigkeit"));
  txtKurvenGeschwindigkeit_->setAlignment(Qt::AlignRight);
  txtKurvenGeschwindigkeit_->installEventFilter(this);

  // The note shows what the current parameter column means.
  lblBemerkung_ = new QLabel;
  lblBemerkung_->setObjectName(QStringLiteral("lblBemerkung"));
  lblBemerkung_->setMinimumWidth(80);
  lblBemerkung_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  cmdBerechnung_ = new QPushButton(QStringLiteral("Berechnung zeigen"));
  cmdBerechnung_->setObjectName(QStringLiteral("cmdBerechnung"));
  cmdBerechnung_->setCheckable(true);

  auto* row = new QWidget;
  row->setObjectName(QStringLiteral("fraEinstellungen"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(
      titledFrame(QStringLiteral("fraAnfLaenge"), resString(kOffsetText), txtAnfLaenge_));
  layout->addWidget(
      titledFrame(QStringLiteral("fraDriveColor"), resString(kColorText), txtDriveColor_));
  layout->addWidget(titledFrame(QStringLiteral("fraKurvenGeschwindigkeit"),
                                resString(kCamSpeedText), txtKurvenGeschwindigkeit_));
  layout->addWidget(
      titledFrame(QStringLiteral("fraBemerkung"), resString(kNoteText), lblBemerkung_), 1);
  auto* switches = new QVBoxLayout;
  switches->setSpacing(4);
  switches->addWidget(chkPeriodisch_);
  switches->addWidget(cmdBerechnung_);
  layout->addLayout(switches);

  connect(chkPeriodisch_, &QCheckBox::clicked, this, [this](bool checked) {
    document().periodic = checked;
    project_.ProjektGeaendert();
  });
  connect(txtAnfLaenge_, &QLineEdit::textEdited, this, [this](const QString& text) {
    document().offsetText = text;
    project_.ProjektGeaendert();
  });
  connect(txtKurvenGeschwindigkeit_, &QLineEdit::textEdited, this,
          [this](const QString& text) { document().camSpeedText = text; });
  connect(cmdBerechnung_, &QPushButton::toggled, this, [this](bool shown) {
    inputStack_->setCurrentWidget(shown ? flgBerechnung_ : flgEingabe_);
  });
  return row;
}

QWidget* frmChild::buildGraphs() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("fraGrafik"));
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  for (int k = 0; k < kDriveGraphCount; ++k) {
    auto* canvas = new Canvas;
    canvas->setObjectName(QStringLiteral("picGraf%1").arg(k));
    canvas->setProperty("index", k);
    canvas->setMinimumSize(120, 50);
    canvas->setCrossCursor(true);
    picGraf_[k] = canvas;
    grid->addWidget(titledFrame(QString::fromLatin1(kGraphFrames[k]), driveGraphCaption(k), canvas),
                    k / 2, k % 2);
    connect(canvas, &Canvas::mouseMoved, this,
            [this, k](QPointF at, Qt::MouseButtons buttons) { graphMoved(k, at, buttons); });
    connect(canvas, &Canvas::mousePressed, this,
            [this, k](QPointF at, Qt::MouseButton button) { graphPressed(k, at, button); });
    connect(canvas, &Canvas::mouseReleased, this,
            [this, k](QPointF at, Qt::MouseButton button) { graphReleased(k, at, button); });
    connect(canvas, &Canvas::mouseLeft, this, &frmChild::MouseLineOff);
  }

  graph_ = new Canvas;
  graph_->setObjectName(QStringLiteral("Graph"));
  graph_->setMinimumSize(120, 50);
  graph_->setCursor(QCursor(QIcon(picturePath(kPictureNormalisedCursor)).pixmap(32, 32), 16, 16));
  connect(graph_, &Canvas::mouseMoved, this, [this](QPointF at) { normalisedMoved(at); });
  connect(graph_, &Canvas::mousePressed, this, [this](QPointF at) { normalisedPressed(at); });

  // Which colour is which curve in the normalised graph.
  QString legend;
  const char* const names[] = {"f", "f'", "f''", "f'''", "f'·f''"};
  for (int c = 1; c <= 5; ++c)
    legend += QStringLiteral("<span style='color:#%1'>&#9632;</span>&nbsp;%2&nbsp;&nbsp; ")
                  .arg(qbColor(c), 6, 16, QLatin1Char('0'))
                  .arg(QString::fromUtf8(names[c - 1]).toHtmlEscaped());
  auto* legendLabel = new QLabel(legend);
  legendLabel->setObjectName(QStringLiteral("lblLegende"));
  auto* normalised = new QWidget;
  auto* normalisedLayout = new QVBoxLayout(normalised);
  normalisedLayout->setContentsMargins(0, 0, 0, 0);
  normalisedLayout->setSpacing(2);
  normalisedLayout->addWidget(legendLabel);
  normalisedLayout->addWidget(graph_, 1);
  grid->addWidget(
      titledFrame(QStringLiteral("fraNormiert"), resString(kNormalisedText), normalised), 3, 0, 1,
      2);
  for (int r = 0; r < 4; ++r) grid->setRowStretch(r, 1);
  return page;
}

QWidget* frmChild::buildResults() {
  flgAusgabe_ = new QTableView;
  flgAusgabe_->setObjectName(QStringLiteral("flgAusgabe"));
  flgAusgabe_->setModel(resultModel_);
  flgAusgabe_->setSelectionBehavior(QAbstractItemView::SelectRows);
  flgAusgabe_->setSelectionMode(QAbstractItemView::SingleSelection);
  setUpTable(flgAusgabe_, kResultColumnTwips);
  connect(flgAusgabe_, &QTableView::doubleClicked, this, [this] { resultDoubleClicked(); });

  results_ = new QTabWidget;
  results_->setObjectName(QStringLiteral("tabErgebnis"));
  results_->setDocumentMode(true);
  results_->addTab(buildGraphs(), resString(kGraphsText));
  results_->addTab(flgAusgabe_, resString(kValuesText));
  return results_;
}

void frmChild::buildStatusBar() {
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("sbrStatus"));
  bar->setSizeGripEnabled(false);
  for (int p = 1; p <= 6; ++p) panels_[p] = statusPanel(QStringLiteral("sbrStatus%1").arg(p));
  panels_[kIdPanel]->setMinimumWidth(60);
  panels_[kStatePanel]->setFixedWidth(20);
  panels_[kStatePanel]->setAlignment(Qt::AlignCenter);
  panels_[kNumberPanel]->setMinimumWidth(20);
  panels_[kNumberPanel]->setAlignment(Qt::AlignCenter);
  panels_[kNumberPanel]->setToolTip(QStringLiteral("#"));
  panels_[kZPanel]->setMinimumWidth(150);
  panels_[kValuePanel]->setMinimumWidth(150);
  bar->addWidget(panels_[kIdPanel]);
  bar->addWidget(panels_[kZPanel]);
  bar->addWidget(panels_[kValuePanel], 1);
  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("prbRechnen"));
  progress_->setMaximumWidth(120);
  progress_->setMaximumHeight(14);
  progress_->setTextVisible(false);
  progress_->hide();
  bar->addPermanentWidget(progress_);
  bar->addPermanentWidget(panels_[kCountPanel]);
  lblCountServer_ = new QLabel;
  lblCountServer_->setObjectName(QStringLiteral("lblCountServer"));
  lblCountServer_->setToolTip(QStringLiteral("driveCount"));
  bar->addPermanentWidget(lblCountServer_);
  bar->addPermanentWidget(panels_[kStatePanel]);
  bar->addPermanentWidget(panels_[kNumberPanel]);
}

void frmChild::connectEditor() {
  connect(&editor_, &DriveEditor::currentCellChanged, this, &frmChild::showCursor);
  connect(&editor_, &DriveEditor::overlayChanged, this, &frmChild::showOverlay);
  connect(&editor_, &DriveEditor::tableChanged, this, &frmChild::onTableChanged);
  connect(&editor_, &DriveEditor::calculationNeeded, this, &frmChild::onCalculationNeeded);
  connect(&editor_, &DriveEditor::resultsChanged, this, &frmChild::onResultsChanged);

  connect(flgEingabe_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (syncing_ || !current.isValid()) return;
            editor_.setCurrentCell(current.row() + 1, current.column());
            showCursor();
          });
  connect(flgEingabe_, &QTableView::doubleClicked, this, [this] { editor_.gridDoubleClick(); });
  connect(flgEingabe_->horizontalHeader(), &QHeaderView::sectionResized, this,
          &frmChild::placeOverlay);
  connect(txtEdit_, &QLineEdit::textChanged, &editor_, &DriveEditor::setEditorText);
  connect(cboDriveList_, &QComboBox::currentIndexChanged, &editor_, &DriveEditor::setLawIndex);
}

// ---------------------------------------------------------------------------------------
// The record and the document

DriveRecord& frmChild::record() { return project_.drives().at(windowNumber_); }

bool frmChild::hasRecord() const {
  return windowNumber_ >= 0 && windowNumber_ < project_.driveCount();
}

void frmChild::setWindowNumber(int number) {
  windowNumber_ = number;
  setStatusPanel(kNumberPanel, QString::number(number));
}

void frmChild::refreshFromDocument() {
  // An open cell editor belongs to the table that was there.
  editor_.editorKeyDown(Qt::Key_Escape);
  editor_.lawListKeyDown(Qt::Key_Escape);
  const DriveDocument& doc = document();
  {
    const QScopedValueRollback guard(syncing_, true);
    inputModel_->sync();
    segmentModel_->sync();
    resultModel_->refresh();
  }
  editor_.setCurrentCell(editor_.row(), editor_.column());
  showCursor();
  chkPeriodisch_->setChecked(doc.periodic);
  txtAnfLaenge_->setText(doc.offsetText);
  txtKurvenGeschwindigkeit_->setText(doc.camSpeedText);
  showDriveColor();
  if (hasRecord()) {
    setWindowTitle(record().name);
    editor_.setCaption(record().name);
  }
  showCalculationState();
  if (doc.results.isEmpty())
    clearGraphs();
  else
    drawGraphs();
}

void frmChild::showCalculationState() {
  const QString picture = document().needsCalculation ? kPictureChanged : kPictureSaved;
  panels_[kStatePanel]->setPixmap(QIcon(picturePath(picture)).pixmap(16, 16));
  panels_[kStatePanel]->setProperty("picture", picture);
  buttons_[kExportButton]->setEnabled(document().calculated);
}

void frmChild::showDriveColor() {
  QPalette palette = txtDriveColor_->palette();
  const quint32 color = rgbFromBgr(document().colorBgr);
  palette.setColor(QPalette::Base, QColor::fromRgb(color));
  txtDriveColor_->setPalette(palette);
}

QString frmChild::statusPanelText(int panel) const {
  if (panel < 1 || panel > 6) return {};
  if (panel == kStatePanel) return panels_[panel]->property("picture").toString();
  return panels_[panel]->text();
}

void frmChild::setStatusPanel(int panel, const QString& text) { panels_[panel]->setText(text); }

QSize frmChild::sizeHint() const {
  return {twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips)};
}

// ---------------------------------------------------------------------------------------
// The input table and its editors

void frmChild::showCursor() {
  const QScopedValueRollback guard(syncing_, true);
  const QModelIndex cell = gridIndex(inputModel_, editor_.row(), editor_.column());
  flgEingabe_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
  flgEingabe_->scrollTo(cell);
  const int column = editor_.column() - InputTable::kFirstParameter;
  lblBemerkung_->setText(column >= 0 && column < static_cast<int>(kParameterColumns.size())
                             ? QString::fromUtf8(kParameterColumns[column].description)
                             : QString());
}

void frmChild::placeOverlay() {
  QWidget* overlay = nullptr;
  if (editor_.overlay() == DriveEditor::Overlay::Text) overlay = txtEdit_;
  if (editor_.overlay() == DriveEditor::Overlay::Law) overlay = cboDriveList_;
  if (!overlay) return;
  const QModelIndex cell = gridIndex(inputModel_, editor_.row(), editor_.column());
  flgEingabe_->scrollTo(cell);
  QRect rect = flgEingabe_->visualRect(cell);
  if (overlay == cboDriveList_)
    rect.setHeight(std::max(rect.height(), cboDriveList_->minimumSizeHint().height()));
  overlay->setGeometry(rect);
}

void frmChild::showOverlay() {
  // The focus moves before an editor hides: a hidden focus widget would hand the focus on
  // through the grid, which takes that for a Tab and moves its current cell.
  switch (editor_.overlay()) {
    case DriveEditor::Overlay::None:
      flgEingabe_->setFocus();
      txtEdit_->hide();
      cboDriveList_->hide();
      break;
    case DriveEditor::Overlay::Text:
      placeOverlay();
      txtEdit_->setText(editor_.editorText());
      txtEdit_->setCursorPosition(std::min(editor_.editorCaret(), int(txtEdit_->text().size())));
      txtEdit_->show();
      txtEdit_->setFocus();
      cboDriveList_->hide();
      break;
    case DriveEditor::Overlay::Law:
      cboDriveList_->setCurrentIndex(editor_.lawIndex());
      placeOverlay();
      cboDriveList_->show();
      cboDriveList_->setFocus();
      txtEdit_->hide();
      break;
  }
}

void frmChild::onTableChanged() {
  {
    const QScopedValueRollback guard(syncing_, true);
    inputModel_->sync();
  }
  showCursor();
}

void frmChild::onCalculationNeeded() {
  showCalculationState();
  project_.ProjektGeaendert();
  if (hasRecord()) record().changed = true;
}

void frmChild::onResultsChanged() {
  resultModel_->refresh();
  segmentModel_->sync();
}

bool frmChild::eventFilter(QObject* watched, QEvent* event) {
  if (watched == flgEingabe_) return gridEvent(event) || QWidget::eventFilter(watched, event);
  if (watched == flgEingabe_->viewport()) return gridMouseEvent(event);
  if (watched == txtEdit_) return overlayKeyEvent(event, &DriveEditor::editorKeyDown);
  if (watched == cboDriveList_) return overlayKeyEvent(event, &DriveEditor::lawListKeyDown);
  if (watched == txtKurvenGeschwindigkeit_) return camSpeedEvent(event);
  if (watched == txtAnfLaenge_ && event->type() == QEvent::FocusIn) {
    // After the click that focused it has placed the caret.
    QTimer::singleShot(0, txtAnfLaenge_, &QLineEdit::selectAll);
    return false;
  }
  if (watched == txtDriveColor_ && event->type() == QEvent::MouseButtonPress) {
    SetDriveColor();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool frmChild::gridEvent(QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    editor_.gridFocusIn();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (editor_.gridKeyDown(key->key())) return true;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: editor_.gridKeyPress('\r'); return true;
    case Qt::Key_Backspace: editor_.gridKeyPress('\b'); return true;
    case Qt::Key_F2: editor_.gridDoubleClick(); return true;
    default: break;
  }
  const QString text = key->text();
  if (text.size() != 1 || !text[0].isPrint()) return false;
  editor_.gridKeyPress(text[0].unicode());
  return true;
}

bool frmChild::gridMouseEvent(QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::RightButton) return false;
  const QModelIndex cell = flgEingabe_->indexAt(mouse->position().toPoint());
  if (!cell.isValid() || !editor_.canConvert(cell.row() + 1, cell.column())) return true;
  editor_.setCurrentCell(cell.row() + 1, cell.column());
  showCursor();
  emit conversionRequested(windowNumber_, mouse->globalPosition().toPoint());
  return true;
}

bool frmChild::overlayKeyEvent(QEvent* event, bool (DriveEditor::*keyDown)(int)) {
  const bool press = event->type() == QEvent::KeyPress;
  if (!press && event->type() != QEvent::ShortcutOverride) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (press) return (editor_.*keyDown)(key);
  // Escape belongs to the editor, not to a shortcut of the main window.
  if (key != Qt::Key_Escape) return false;
  event->accept();
  return true;
}

bool frmChild::camSpeedEvent(QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  // Only a move to another control inside the program is refused, not a switch of windows.
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  const std::optional<double> speed = parseNumber(txtKurvenGeschwindigkeit_->text());
  if (speed && *speed > 0.0) return false;
  QTimer::singleShot(0, txtKurvenGeschwindigkeit_, [box = txtKurvenGeschwindigkeit_] {
    box->setFocus();
    box->selectAll();
  });
  return false;
}

void frmChild::showInputTable() { cmdBerechnung_->setChecked(false); }

void frmChild::mnuGrad() { editor_.mnuGrad(); }

void frmChild::mnuBogen() { editor_.mnuBogen(); }

// ---------------------------------------------------------------------------------------
// The toolbar

QAction* frmChild::toolbarButton(int index) const {
  return index >= 1 && index < static_cast<int>(buttons_.size()) ? buttons_[index] : nullptr;
}

void frmChild::tbrDriveButtonClick(const QString& key) {
  if (calculating_) return;
  if (key == QLatin1String("Open")) {
    if (::DriveOpen(document()) != FileOutcome::Cancelled) refreshFromDocument();
  } else if (key == QLatin1String("Save")) {
    ::DriveSave(document());
  } else if (key == QLatin1String("Print")) {
    DriveDruck();
  } else if (key == QLatin1String("Calc")) {
    DriveCalc();
  } else if (key == QString::fromUtf8("Löschen")) {
    clearResults();
  } else if (key == QLatin1String("Delline")) {
    showInputTable();
    editor_.DelLine();
  } else if (key == QLatin1String("newline")) {
    showInputTable();
    editor_.NewLine();
  } else if (key == QLatin1String("Sort")) {
    showInputTable();
    editor_.EingabeSort();
  } else if (key == QLatin1String("DriveColor")) {
    SetDriveColor();
  } else if (key == QLatin1String("ExportBerechnung")) {
    ExportBerechnung(document());
  }
}

// ---------------------------------------------------------------------------------------
// Calculation

void frmChild::DriveCalc() {
  if (calculating_) return;
  const QScopedValueRollback running(calculating_, true);
  // What is typed into an open cell editor takes part.
  if (editor_.overlay() != DriveEditor::Overlay::None) editor_.gridFocusIn();

  // The calculation lets window events through for its progress and Escape; nothing else of
  // this window may run meanwhile.
  const QPointer<QWidget> focused = focusWidget();
  tbrDrive_->setEnabled(false);
  inputStack_->parentWidget()->setEnabled(false);
  setStatusPanel(kCountPanel, editor_.caption());
  CalcOutcome outcome;
  {
    const BusyCursor busy;
    WindowLoop loop(progress_);
    outcome = editor_.DriveCalc(project_.frameTime(), project_.decimals(), loop);
  }
  tbrDrive_->setEnabled(true);
  inputStack_->parentWidget()->setEnabled(true);
  if (focused) focused->setFocus();

  if (outcome.clearedResults()) clearGraphs();
  if (outcome.status == CalcStatus::Calculated) {
    setStatusPanel(kCountPanel, resString(kValuesText) + QStringLiteral(": ") +
                                    QString::number(outcome.frameCount));
    if (hasRecord()) record().frameCount = outcome.frameCount;
    lblCountServer_->setText(QString::number(outcome.serverDriveCount));
    fitResultColumns();
    drawGraphs();
  }
  showCalculationState();
  if (outcome.status == CalcStatus::Calculated) emit calculated();
}

void frmChild::clearResults() {
  editor_.AusgabeClear();
  clearGraphs();
}

void frmChild::fitResultColumns() {
  const ResultTable& results = document().results;
  const QFontMetrics metrics = flgAusgabe_->fontMetrics();
  QHeaderView* header = flgAusgabe_->horizontalHeader();
  const int rows = results.rowCount();
  for (int c = 0; c < ResultTable::kColumns; ++c) {
    int width = header->sectionSize(c);
    const auto measure = [&](int r) {
      width = std::max(width, metrics.horizontalAdvance(results.text(r, c)) + kCellPadding);
    };
    for (int r = 0; r < std::min(rows, kSampledRows); ++r) measure(r);
    for (int r = std::max(kSampledRows, rows - kSampledRows); r < rows; ++r) measure(r);
    header->resizeSection(c, width);
  }
}

bool frmChild::queryClose(bool byUser) {
  if (calculating_) return false;
  return queryCloseDrive(project_, windowNumber_, byUser);
}

void frmChild::closeEvent(QCloseEvent* event) {
  // The closing question is asked once: the main window may have asked it already.
  const bool asked = hasRecord() && record().closed;
  if (calculating_ || (!asked && !queryClose(true)))
    event->ignore();
  else
    event->accept();
}

// ---------------------------------------------------------------------------------------
// Activation

bool frmChild::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
      // Inside the main window the frame tells (below); a window of its own is told here.
      if (isWindow()) onActivated();
      break;
    case QEvent::ParentChange:
      if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        connect(frame, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates before, Qt::WindowStates now) {
                  if (!(before & Qt::WindowActive) && (now & Qt::WindowActive)) onActivated();
                });
      }
      break;
    default: break;
  }
  return QWidget::event(event);
}

void frmChild::onActivated() {
  if (hasRecord()) setStatusPanel(kIdPanel, QStringLiteral("ID: ") + QString::number(record().id));
  setStatusPanel(kNumberPanel, QString::number(windowNumber_));
  emit activatedWindow(windowNumber_);
}

// ---------------------------------------------------------------------------------------
// Graphs

void frmChild::drawGraphs() {
  curves_ = driveCurves(document(), project_.frameTime());
  const DriveGraphs graphs = grafik(curves_);
  for (int k = 0; k < kDriveGraphCount; ++k) picGraf_[k]->setDrawing(graphs[k]);
  graph_->setDrawing(Normiert(curves_));
}

void frmChild::clearGraphs() {
  curves_ = DriveCurves();
  for (Canvas* canvas : picGraf_) canvas->editDrawing().clear();
  graph_->editDrawing().clear();
  MouseLineOff();
}

void frmChild::MouseLineOff() {
  for (Canvas* canvas : picGraf_) canvas->hideCursorLines();
}

void frmChild::graphMoved(int k, QPointF at, Qt::MouseButtons buttons) {
  if (!hasCurves()) return;
  for (int j = 0; j < kDriveGraphCount; ++j) {
    picGraf_[j]->setVerticalCursor(at.x());
    picGraf_[j]->setHorizontalCursor(j == k ? std::optional<double>(at.y()) : std::nullopt);
  }
  const GraphReadout readout =
      graphReadout(document().results, k, at, selectedRow_, project_.decimals());
  setStatusPanel(kZPanel, readout.zText);
  setStatusPanel(kValuePanel, readout.valueText);
  picGraf_[k]->showToolTip(readout.toolTip);
  if ((buttons & Qt::LeftButton) && zoomGraph_ == k && zoomBand_) {
    const QPointF from = picGraf_[k]->toWidget(zoomStart_);
    const QPointF to = picGraf_[k]->toWidget(at);
    zoomBand_->setGeometry(QRectF(from, to).normalized().toRect());
    zoomBand_->show();
  }
}

void frmChild::graphPressed(int k, QPointF at, Qt::MouseButton button) {
  if (!hasCurves()) return;
  zoomStart_ = at;
  zoomGraph_ = k;
  if (button == Qt::LeftButton) {
    delete zoomBand_;
    zoomBand_ = new QRubberBand(QRubberBand::Rectangle, picGraf_[k]);
    return;
  }
  if (button != Qt::RightButton && button != Qt::MiddleButton) return;
  const ResultTable& results = document().results;
  const std::optional<int> row = selectRow(results, at.x(), document().stepZ);
  if (!row) return;
  selectedRow_ = *row;
  scrollResultsTo(selectedRow_ - 1);
  flgAusgabe_->selectionModel()->setCurrentIndex(
      gridIndex(resultModel_, selectedRow_, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  const GraphReadout readout = selectionReadout(results, k, selectedRow_);
  setStatusPanel(kZPanel, readout.zText);
  setStatusPanel(kValuePanel, readout.valueText);
  markSelectedRow();
}

void frmChild::graphReleased(int k, QPointF at, Qt::MouseButton button) {
  if (!hasCurves()) return;
  if (zoomBand_) zoomBand_->hide();
  if (button == Qt::LeftButton && zoomGraph_ == k) {
    if (const std::optional<UserScale> rect = zoomRectangle(zoomStart_, at))
      zoomGraph(picGraf_[k]->editDrawing(), k, curves_, *rect);
  } else if (button == Qt::RightButton) {
    // Every graph back at its full range, the selected row marked again.
    const DriveGraphs graphs = grafik(curves_);
    for (int j = 0; j < kDriveGraphCount; ++j) picGraf_[j]->setDrawing(graphs[j]);
    markSelectedRow();
  }
  zoomGraph_ = -1;
}

void frmChild::markSelectedRow() {
  for (int j = 0; j < kDriveGraphCount; ++j)
    markRow(picGraf_[j]->editDrawing(), j, document().results, selectedRow_, kBlack);
}

void frmChild::normalisedMoved(QPointF at) {
  if (!hasCurves()) return;
  const GraphReadout readout = normalisedReadout(at);
  setStatusPanel(kZPanel, readout.zText);
  setStatusPanel(kValuePanel, readout.valueText);
}

void frmChild::normalisedPressed(QPointF at) {
  if (!hasCurves()) return;
  if (const std::optional<int> row = normalisedRowAt(document().results, at.x()))
    scrollResultsTo(*row - 1);
}

void frmChild::scrollResultsTo(int topGridRow) {
  flgAusgabe_->scrollTo(gridIndex(resultModel_, topGridRow, 0), QAbstractItemView::PositionAtTop);
}

void frmChild::resultDoubleClicked() {
  const int row = flgAusgabe_->currentIndex().row() + 1;
  for (int j = 0; j < kDriveGraphCount; ++j) {
    markRow(picGraf_[j]->editDrawing(), j, document().results, row, kRowMarkColor);
    if (const std::optional<QPointF> at = rowPoint(document().results, j, row)) {
      picGraf_[j]->setVerticalCursor(at->x());
      picGraf_[j]->setHorizontalCursor(at->y());
    }
  }
}

void frmChild::SetDriveColor() {
  const std::optional<quint32> chosen = userDialogs().chooseColor(document().colorBgr);
  if (!chosen) return;
  document().colorBgr = *chosen;
  showDriveColor();
  project_.ProjektGeaendert();
  if (!document().calculated || !hasCurves()) return;
  curves_.color = rgbFromBgr(*chosen);
  for (int k = 0; k < kDriveGraphCount; ++k) GrafLine(picGraf_[k]->editDrawing(), k, curves_);
}

// ---------------------------------------------------------------------------------------
// Printing

void frmChild::DriveDruck() {
  const std::optional<PrinterChoice> choice = userDialogs().choosePrinter(false);
  if (!choice) return;
  QPrinter printer(QPrinter::HighResolution);
  if (!choice->outputFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(choice->outputFile);
  } else {
    printer.setPrinterName(choice->printerName);
  }
  printer.setDocName(windowTitle());

  // The whole input table as it is shown: a second view of the same rows with the same
  // column widths, as large as the table, without scroll bars.
  QTableView picture;
  picture.setModel(inputModel_);
  picture.setFont(flgEingabe_->font());
  setUpInputTable(&picture);
  picture.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  picture.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (int c = 0; c < InputTable::kColumns; ++c)
    picture.horizontalHeader()->resizeSection(c, flgEingabe_->horizontalHeader()->sectionSize(c));
  picture.setAttribute(Qt::WA_DontShowOnScreen);
  picture.show();
  const int frame = 2 * picture.frameWidth();
  picture.resize(picture.horizontalHeader()->length() + frame,
                 picture.horizontalHeader()->height() + picture.verticalHeader()->length() + frame);
  const QPixmap table = picture.grab();

  QPainter painter;
  if (!painter.begin(&printer)) return;
  const double dotsPerTwip = printer.resolution() / double(kTwipsPerInch);
  const int page = 1;
  painter.setFont(QFont(font().family(), 10));
  painter.drawText(
      QPointF(0, painter.fontMetrics().ascent()),
      windowTitle() + QStringLiteral("    Seite:  ") + QLatin1Char(' ') + QString::number(page));
  // The picture at its size on the screen, made smaller only where the page is too small.
  const QPointF at(kPrintLeftTwips * dotsPerTwip, kPrintTopTwips * dotsPerTwip);
  QSizeF size = QSizeF(table.deviceIndependentSize()) * (kTwipsPerPixel * dotsPerTwip);
  const QSizeF room(painter.viewport().width() - at.x(), painter.viewport().height() - at.y());
  if (size.width() > room.width() || size.height() > room.height())
    size.scale(room, Qt::KeepAspectRatio);
  painter.drawPixmap(QRectF(at, size), table, QRectF(table.rect()));
  painter.end();
}
