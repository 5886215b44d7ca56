#pragma once
// A cam view into the graph canvas's drawing list: its coordinate system, the black axes,
// the labels (each printed with its top-left corner at its point), the red curve through
// the rows, the blue line from the last point to the origin and the row marker. The canvas
// keeps the list and paints it.

#include "app/cam/cam_geometry.h"
#include "app/graph/drawing.h"

// The marker's colour (the cam window's choice).
inline constexpr quint32 kCamMarkerColor = rgb(0, 128, 0);

// Replaces what drawing holds by the view. A view of no extent keeps the scale before.
void fillDrawing(const CamDrawing& view, Drawing& drawing);
