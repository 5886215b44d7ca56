#pragma once
// The project graph (frmGrafik): the curves f, f', f'', f''' of every computed drive in four
// panels over one z axis, each drive in its colour with its segment boundaries, zoomable,
// with a cursor read-out. Pure functions over the drives' curves (driveCurves of each
// drive); the window puts the drawings on its four canvases and the texts in its status
// bar.
//
// frmGrafik's use, with picGrafik(k) canvases: on load, resize, "Aktualisieren" and the
// right button released: panels = projectGraph(drives) (drives: driveCurves of every drive
// in list order), picGrafik(k).setDrawing(panels[k]), status panel 4 kNormalStatus. Mouse
// moved on panel k at p: every panel's cursor lines at p (setVerticalCursor(p.x()),
// setHorizontalCursor(p.y())), panelReadout(k, p) for status panels 1 to 3. Pressed: the
// zoom start := p. Left released: zoomRectangle(start, p) → if any, zoomPanel(
// picGrafik(k).editDrawing(), k, drives, rect) and status panel 4 kZoomStatus.

#include <QPointF>
#include <QString>

#include <array>
#include <span>

#include "app/graph/drawing.h"
#include "app/graph/drive_graph.h"

inline constexpr int kProjectPanelCount = 4;
// Status panel 4 of the zoomed and of the normal view.
inline constexpr char kZoomStatus[] = "ZOOM";
inline constexpr char kNormalStatus[] = "NOR.";

// The window caption: "Grafik  Projekt Kinetra".
QString projectGraphCaption();
// Panel k's frame caption: the caption of the drive graph k.
QString projectPanelCaption(int k);

// The union of the drives' coordinate systems of one panel: the smallest left, the widest
// reach to the right, the highest top and the deepest bottom, all reaching at least to 0
// (with values drawn negated, a top at or above 0 and a bottom at or below it).
UserScale skalieren(std::span<const UserScale> driveScales);

using ProjectPanels = std::array<Drawing, kProjectPanelCount>;

// The normal view: every panel cleared, given the union of the drives' graph coordinates
// and the black z axis along it, then the curves (PunktGrafik) and the boundaries (Gitter).
// Drives without result rows take no part.
ProjectPanels projectGraph(std::span<const DriveCurves> drives);
// The curve (z, -v) of column k + 1 of every drive, in the drive's colour.
void PunktGrafik(Drawing& panel, int k, std::span<const DriveCurves> drives);
// A cyan line at every input z of every drive, across the panel's full height.
void Gitter(Drawing& panel, std::span<const DriveCurves> drives);
// Panel k zoomed into rect (see zoomRectangle): cleared, curves, boundaries and the z axis
// from rect's left to its right.
void zoomPanel(Drawing& panel, int k, std::span<const DriveCurves> drives, const UserScale& rect);

// The read-out over panel k at user point at.
struct PanelReadout {
  QString caption;    // status panel 1: the panel's caption
  QString zText;      // status panel 2: "z= " x, rounded to 3 places
  QString valueText;  // status panel 3: "f= " … "f'''= " (-y), rounded to 3 places
};
PanelReadout panelReadout(int k, QPointF at);
