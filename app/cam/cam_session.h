#pragma once
// The cam window's logic (frmKurve) without the window: the body list, the roller and plate
// picked from it, the run that records the roller's path in the plate's frame into the cam
// table, the multiplier, and the three plane views (scale, zoom, marker) the window draws.
//
// Every member that calls the simulation runs through the guard and leaves at its first
// error (a lost connection has shown message 164 and saved the backup by then); rows
// recorded until then stay.

#include <QList>
#include <QPointF>
#include <QString>
#include <Qt>

#include <array>
#include <optional>
#include <vector>

#include "app/cam/cam_geometry.h"
#include "app/cam/cam_table.h"
#include "app/common/loop_control.h"
#include "app/simlink/frame_status.h"
#include "app/simlink/simulation_guard.h"

// Body A is the roller ("Rolle"), body B the plate ("Scheibe").
enum class CamBody { Roller = 0, Plate = 1 };

// An entry of lstBody: ID (general text) TAB Name, with the ID as item data. List position
// k holds the simulation's body k + 1.
struct BodyEntry {
  QString text;
  qint32 id;
  bool operator==(const BodyEntry&) const = default;
};

// The texts the window sets on load.
struct KurveTexts {
  QString caption;                        // "Kinetra  Kurven-Spline"
  QString menuKurve;                      // mnuKurve
  QString menuWriteToFile;                // mnuWritetofile
  QString menuRefresh;                    // mnuKurveAktualisieren
  QString menuClose;                      // mnuKurveClose
  QString bodiesFrame;                    // fraWMBodies: "ID" + eight blanks + "Körper"
  QString roller;                         // frame and button of body A
  QString plate;                          // frame and button of body B
  std::array<QString, kCamViews> planes;  // "X-Y Ebene", "Z-Y Ebene", "X-Z Ebene"
  QString tableFrame;                     // the frame of flgKurve
  QString frameFrame;  // fraFrame: "bis Frame", with " (max= N-1)" after a transfer
  QString frameText;   // txtFrame: N - 1 after a transfer of N frames, else "0"
  QString runButton;   // cmdRun
};

enum class CamRunEnd {
  Refused,     // a body is missing or the last frame is outside 1 .. NumFrames - 1: message 168
  NotANumber,  // the frame or multiplier text is no number: the run ends without a message
  Cancelled,   // stopped by the loop control: message 159; the rows so far stay, no EndRun
  Completed,   // every frame recorded, EndRun called, the views scaled and drawn
  Failed,      // a simulation call failed and the guard ended the run; the rows so far stay
};

class CamSession {
 public:
  explicit CamSession(SimulationGuard& guard) : guard_(guard) {}

  // transferFrameCount: the frames of the last transfer (0: none).
  static KurveTexts texts(qint32 transferFrameCount);

  // BodyList: lstBody read anew, every body of the simulation in order (after an error,
  // the entries read until then).
  SimOutcome BodyList();
  const std::vector<BodyEntry>& bodies() const { return bodies_; }
  // cmdBodyA / cmdBodyB: clears table and views; with a list row selected, that body
  // becomes the roller or plate and its text is Name + " ID-" + ID.
  SimOutcome pickBody(CamBody which, std::optional<int> listRow);
  const QString& bodyText(CamBody which) const { return bodyText_[index(which)]; }

  // cmdRun: records frames 0 .. frameText into the table with the multiplier and decimals.
  // The status sink gets panel 1 "Frame: " + CurrentFrame and panel 2 "Time: " +
  // CurrentTime.
  CamRunEnd run(const QString& frameText, const QString& multiplierText, int decimals,
                LoopControl& loop, FrameStatusSink* status = nullptr);
  // The roller's last point in the plate's frame before the multiplier (mm).
  CamPoint lastPoint() const { return lastPoint_; }

  // Multiplikator (double click on txtMultiplikator): X, Y, Z of every row times the
  // multiplier, then the views rescaled and drawn. False for a text that is no number.
  bool Multiplikator(const QString& multiplierText);

  // Beschriftung's status panels: 6 "Last computed frame=" + (NumFrames - 1), 1 "Frame: "
  // + CurrentFrame, 2 "Time: " + CurrentTime. Nothing when a call failed.
  std::optional<QList<StatusText>> statusTexts();

  // mnuWritetofile and mnuKurveAktualisieren: enabled with two rows or more.
  bool exportEnabled() const { return table_.rowCount() >= 2; }
  // mnuKurveAktualisieren: views cleared, scaled and drawn again.
  void refresh() { KurveScale(); }
  // mnuWritetofile.
  bool WriteToFile() const;

  const CamTable& table() const { return table_; }

  // KurveScale: the extent M of the table and every view to -1.25·M .. 1.25·M; the views
  // are drawn from then on.
  void KurveScale();
  // KurveClear: the views show nothing until scaled or zoomed.
  void KurveClear() { drawn_ = false; }
  bool isDrawn() const { return drawn_; }
  double extent() const { return extent_; }
  const ViewRect& view(int view) const { return views_[view]; }
  // A mouse button down on a view at `at` (user coordinates): zooms that view (left in,
  // right out) and draws every view again. False for other buttons.
  bool zoom(int view, Qt::MouseButton button, QPointF at);
  // The selected data row of the table (nothing: none): its point is marked in every view.
  void setMarkerRow(std::optional<int> row) { markerRow_ = row; }
  // What a view shows now (only its coordinate system while cleared).
  CamDrawing drawing(int view) const;

 private:
  static int index(CamBody which) { return static_cast<int>(which); }
  void clearTableAndViews();
  CamRunEnd record(SimulationLink& link, const QString& frameText, const QString& multiplierText,
                   int decimals, LoopControl& loop, FrameStatusSink* status);
  void recordFrame(SimulationLink& link, qint32 frame, double multiplier, int decimals);

  SimulationGuard& guard_;
  std::vector<BodyEntry> bodies_;
  std::array<SimRef, 2> body_{};
  std::array<QString, 2> bodyText_;
  CamTable table_;
  CamPoint lastPoint_;
  double extent_ = 0.0;
  std::array<ViewRect, kCamViews> views_{};
  bool drawn_ = false;
  std::optional<int> markerRow_;
};
