#pragma once
// frmChild, the drive window: the input table of one drive with its overlay editors, the
// drive's own settings, the calculation with its result and segment tables, the six graphs
// over z and the normalised graph, printing and the text export. The window is thin: every
// rule lives in DriveEditor (input table, calculation), drive_graph.h (what is drawn and
// read out) and the file and export units; the window forwards its events there and shows
// what they announce.
//
// Layout: the toolbar tbrDrive on top; below it a vertical splitter with the input area
// (flgEingabe, or flgBerechnung in its place, and a row of the drive's settings) above and
// the results below, as two tabs: the graphs (picGraf0 … picGraf5 in their frames, three
// rows of two, and the normalised graph Graph) and the values (flgAusgabe); the status bar
// sbrStatus at the bottom.

#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

#include "app/common/kernel_client.h"
#include "app/editor/drive_editor.h"
#include "app/graph/drive_graph.h"
#include "app/shell/project_state.h"

class Canvas;
class InputTableModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRubberBand;
class QStackedWidget;
class QTableView;
class QTabWidget;
class QToolBar;
class ResultModel;

class frmChild : public QWidget {
  Q_OBJECT
 public:
  // The window of record windowNumber of project. It edits the document that record holds
  // now; the project and the kernel must outlive the window.
  frmChild(ProjectState& project, int windowNumber, const KernelClient& kernel,
           QWidget* parent = nullptr);
  ~frmChild() override;

  // The window's tag: its index in project.drives().
  int windowNumber() const { return windowNumber_; }
  // SetChildNumbers: a window before this one has closed.
  void setWindowNumber(int number);
  DriveRecord& record();
  DriveDocument& document() { return *document_; }

  // Shows the document again after it was filled from a file (DriveOpen, ProjektOpen): the
  // tables, the periodic box, the offset, the colour, the cam speed, the caption (the
  // record's name), the calculation state and the graphs. An open cell editor is dropped.
  void refreshFromDocument();

  // The calculation (toolbar "Calc", the project's Calculate): an open cell editor writes
  // back first; the busy cursor and a progress bar in the status bar while it runs, Escape
  // stops it. Does nothing while a calculation of this window runs.
  void DriveCalc();
  bool isCalculating() const { return calculating_; }
  // The closing question (text 118 when the user closes a changed drive). False keeps the
  // window open; never closes while calculating. A close event (the frame's close button)
  // asks it as the user's close unless the record is marked closed already (the main window
  // asked); what follows the close (driveWindowClosed, SetChildNumbers) is the main window's.
  bool queryClose(bool byUser);

  // The conversion pop-up's items act on the current cell.
  void mnuGrad();
  void mnuBogen();

  // The toolbar's buttons by index (1 … 12; 4 and 6 are separators) and the click on a key
  // (compared exactly).
  QAction* toolbarButton(int index) const;
  void tbrDriveButtonClick(const QString& key);

  // Print the input table (toolbar "Print"): the printer dialog, then one page with the
  // drive's name and page number and the picture of the whole input table.
  void DriveDruck();
  // The drive colour through the colour dialog (toolbar "DriveColor", a click on the swatch).
  void SetDriveColor();
  // Toolbar "Löschen": the result table and the graphs are emptied.
  void clearResults();
  // Hides every cursor line of the graphs.
  void MouseLineOff();

  // The text of the status bar's panel 1 … 6; for panel 5, the picture's file name
  // (kPictureSaved or kPictureChanged).
  QString statusPanelText(int panel) const;
  // The result table's selected row in grid numbering (the read-out's row), from 2.
  int selectedRow() const { return selectedRow_; }

  QSize sizeHint() const override;

 signals:
  void calculated();
  // A right click on a numeric f cell made it current: the main window shows its conversion
  // pop-up at globalPos and calls mnuGrad or mnuBogen of window windowNumber.
  void conversionRequested(int windowNumber, QPoint globalPos);
  void activatedWindow(int windowNumber);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildToolbar();
  QWidget* buildInputArea();
  QWidget* buildSettingsRow();
  QWidget* buildResults();
  QWidget* buildGraphs();
  void buildStatusBar();
  void connectEditor();

  // The editor's announcements.
  void showCursor();
  void showOverlay();
  void placeOverlay();
  void onTableChanged();
  void onCalculationNeeded();
  void onResultsChanged();

  // Events of the input table and its overlay editors; true when used up.
  bool gridEvent(QEvent* event);
  bool gridMouseEvent(QEvent* event);
  // txtEdit's and cboDriveList's keys, handed to the editor's keyDown for that overlay.
  bool overlayKeyEvent(QEvent* event, bool (DriveEditor::*keyDown)(int));
  bool camSpeedEvent(QEvent* event);

  // The graphs.
  void drawGraphs();
  void clearGraphs();
  void graphMoved(int k, QPointF at, Qt::MouseButtons buttons);
  void graphPressed(int k, QPointF at, Qt::MouseButton button);
  void graphReleased(int k, QPointF at, Qt::MouseButton button);
  void normalisedMoved(QPointF at);
  void normalisedPressed(QPointF at);
  void resultDoubleClicked();
  void markSelectedRow();
  void scrollResultsTo(int topGridRow);
  bool hasCurves() const { return curves_.rowCount() > 0; }

  bool hasRecord() const;
  // The input table in place of the segment table, for the toolbar's row commands.
  void showInputTable();
  void onActivated();
  void showCalculationState();
  void showDriveColor();
  void fitResultColumns();
  void setStatusPanel(int panel, const QString& text);

  ProjectState& project_;
  int windowNumber_;
  std::shared_ptr<DriveDocument> document_;
  DriveEditor editor_;
  InputTableModel* inputModel_;
  InputTableModel* segmentModel_;
  ResultModel* resultModel_;

  QToolBar* tbrDrive_ = nullptr;
  std::array<QAction*, 13> buttons_{};  // by index, 0 unused
  QStackedWidget* inputStack_ = nullptr;
  QTableView* flgEingabe_ = nullptr;
  QTableView* flgBerechnung_ = nullptr;
  QLineEdit* txtEdit_ = nullptr;
  QComboBox* cboDriveList_ = nullptr;
  QCheckBox* chkPeriodisch_ = nullptr;
  QLineEdit* txtAnfLaenge_ = nullptr;
  QLineEdit* txtDriveColor_ = nullptr;
  QLineEdit* txtKurvenGeschwindigkeit_ = nullptr;
  QLabel* lblBemerkung_ = nullptr;  // what the current parameter column means
  QPushButton* cmdBerechnung_ = nullptr;
  QTabWidget* results_ = nullptr;
  QTableView* flgAusgabe_ = nullptr;
  std::array<Canvas*, kDriveGraphCount> picGraf_{};
  Canvas* graph_ = nullptr;
  QRubberBand* zoomBand_ = nullptr;
  std::array<QLabel*, 7> panels_{};  // sbrStatus panels 1 … 6, 0 unused
  QLabel* lblCountServer_ = nullptr;
  QProgressBar* progress_ = nullptr;

  DriveCurves curves_;
  QPointF zoomStart_;
  int zoomGraph_ = -1;  // the graph a left drag started on
  int selectedRow_ = 2;
  bool syncing_ = false;      // the view follows the editor: its own moves are not events
  bool calculating_ = false;  // DriveCalc runs (its loop lets window events through)
};
