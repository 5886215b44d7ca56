#include "app/common/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 15;
// From 2^52 on every double is a whole number: there is nothing left to round.
constexpr double kWholeFrom = 4503599627370496.0;

// "%.15G": 15 significant digits, trailing zeros dropped, "E+20" exponents.
QString cText(double value) {
  if (value == 0.0) return QStringLiteral("0");  // also -0
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*G", kSignificantDigits, value);
  return QString::fromLatin1(buffer);
}

}  // namespace

QString generalText(double value, const QLocale& locale) {
  QString text = cText(value);
  const QString point = locale.decimalPoint();
  if (point != QLatin1String(".")) text.replace(QLatin1Char('.'), point);
  return text;
}

QString signedText(double value) {
  const QString text = cText(value);
  return value < 0.0 ? text : QLatin1Char(' ') + text;
}

QString printFileInteger(qint64 value) {
  const QString digits = QString::number(value);
  return value < 0 ? digits + QLatin1Char(' ') : QLatin1Char(' ') + digits + QLatin1Char(' ');
}

QString printFileDouble(double value, const QLocale& locale) {
  QString text = generalText(value, locale);
  const bool negative = text.startsWith(QLatin1Char('-'));
  if (negative) text.remove(0, 1);
  const QString point = locale.decimalPoint();
  if (text.startsWith(QLatin1Char('0') + point)) text.remove(0, 1);
  return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + text + QLatin1Char(' ');
}

QString printFileBool(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<double> parseNumber(const QString& text, const QLocale& locale) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  QLocale strict = locale;
  strict.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  double value = strict.toDouble(trimmed, &ok);
  if (!ok) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    value = c.toDouble(trimmed, &ok);
  }
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

double roundHalfEven(double value, int decimals) {
  if (!std::isfinite(value) || decimals < 0) return value;
  if (decimals > kSignificantDigits) decimals = kSignificantDigits;
  const double scale = std::pow(10.0, decimals);  // exact for 10^0 … 10^15
  const double scaled = value * scale;
  if (std::fabs(scaled) >= kWholeFrom) return value;
  // nearbyint rounds in the default mode: to nearest, ties to even.
  return std::nearbyint(scaled) / scale;
}

double displayValue(double value, int decimals) {
  const double rounded = roundHalfEven(value, decimals);
  if (rounded == 0.0 || !std::isfinite(rounded)) return rounded;
  const int wholeDigits = static_cast<int>(std::floor(std::log10(std::fabs(rounded)))) + 1;
  if (wholeDigits + decimals <= kSignificantDigits) return rounded;
  // More digits than the text shows: the cell stands for its 15-digit text.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*G", kSignificantDigits, rounded);
  return std::strtod(buffer, nullptr);
}
