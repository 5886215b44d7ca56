#pragma once
// Painting a Drawing onto any QPainter: a widget, an image, an SVG or PDF file, a printer.
// One routine maps the user scale onto a target rectangle and draws every item, aliased,
// each point on a pixel centre.
//
// A long curve is reduced before it is drawn: in each pixel column it keeps only the points
// where it enters and leaves the column and its lowest and highest point; a stretch wholly
// beyond one edge of the target keeps only its ends; repeated pixels of a point set are
// drawn once. The pixels are the same as drawing every point (CurveDetail::Every, kept for
// comparison), at a few points per column instead of thousands. Curves drawn with a pen
// wider than one device pixel are drawn point by point.

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include "app/graph/drawing.h"

class QPainter;
class QPrinter;

enum class CurveDetail { Reduced, Every };

void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  CurveDetail detail = CurveDetail::Reduced);

// The drawing as an image of size pixels.
QImage renderDrawing(const Drawing& drawing, QSize size, CurveDetail detail = CurveDetail::Reduced);

// The number of pixels in which two images differ (images of different sizes differ in
// every pixel of the larger); how a reduced painting is checked against every point.
qint64 differingPixels(const QImage& a, const QImage& b);

enum class ImageFormat { Png, Svg, Pdf };
// The file name extension of a format, without the dot: "png", "svg", "pdf".
QString imageFormatSuffix(ImageFormat format);
// Writes the drawing at size pixels (a PDF page of that size at 96 dots per inch) to path,
// through a temporary file renamed over the target; false when it cannot be written.
bool saveDrawing(const Drawing& drawing, QSize size, ImageFormat format, const QString& path);
// One page on printer: the drawing across the page's width, keeping the aspect of the size
// it is shown at.
void printDrawing(QPrinter& printer, const Drawing& drawing);
