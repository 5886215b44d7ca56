#include "app/cam/cam_drawing.h"

void fillDrawing(const CamDrawing& view, Drawing& drawing) {
  drawing.setScale({view.view.left, view.view.top, view.view.width, view.view.height});
  drawing.clear();
  for (const CamDrawing::Line& axis : view.axes) drawing.line(axis.from, axis.to, {axis.rgb});
  for (const CamDrawing::Label& label : view.labels) {
    drawing.moveTo(label.at);
    drawing.text(label.text);
  }
  drawing.curve(curveFromPoints(view.curve), CurveMarks::Lines, {CamDrawing::kRed});
  if (view.closingLine) {
    drawing.line(view.closingLine->from, view.closingLine->to, {view.closingLine->rgb});
  }
  if (view.marker) drawing.circle(view.marker->centre, view.marker->radius, {kCamMarkerColor});
}
