#include "app/shell/options.h"

#include <cmath>

#include "app/common/number_text.h"
#include "app/common/string_table.h"

std::optional<double> frameTimeFromText(const QString& framesPerSecond) {
  const std::optional<double> value = parseNumber(framesPerSecond);
  if (!value || !(*value > 0.0)) return std::nullopt;
  const double frameTime = 1.0 / *value;
  if (!std::isfinite(frameTime) || !(frameTime > 0.0)) return std::nullopt;
  return frameTime;
}

QString framesPerSecondText(double frameTime) { return generalText(1.0 / frameTime); }

QString framesPanelText(double frameTime) {
  return QStringLiteral("Frames ") + framesPerSecondText(frameTime) + QStringLiteral("/s");
}

QString decimalsCaption(int decimals) {
  return QString::number(decimals) + QLatin1Char(' ') + resString(138);
}

QString decimalsSlidingCaption(int decimals) {
  return QString::number(decimals) + QStringLiteral(" Nachkommastellen");
}

bool applyOptions(ProjectState& project, const QString& framesPerSecond, int decimals) {
  const std::optional<double> frameTime = frameTimeFromText(framesPerSecond);
  if (!frameTime || decimals < 0 || decimals > 15) return false;
  project.setFrameTime(*frameTime);
  project.setDecimals(decimals);
  project.ProjektGeaendert();
  return true;
}
