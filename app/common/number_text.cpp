#include "app/common/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 15;
// From 2^52 on every double is a whole number: there is nothing left to round.
constexpr double kWholeFrom = 4503599627370496.0;
// 10^0 … 10^15, each exact in a double. Rounding a result table rounds every cell, so the
// scales are looked up rather than computed.
constexpr double kPowersOfTen[kSignificantDigits + 1] = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

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
  const double scale = kPowersOfTen[decimals];
  const double scaled = value * scale;
  if (std::fabs(scaled) >= kWholeFrom) return value;
  // nearbyint rounds in the default mode: to nearest, ties to even.
  return std::nearbyint(scaled) / scale;
}

double displayValue(double value, int decimals) {
  const double rounded = roundHalfEven(value, decimals);
  if (!std::isfinite(rounded)) return rounded;
  decimals = decimals < 0 ? 0 : std::min(decimals, kSignificantDigits);
  // Whole digits + decimals within 15: |rounded| < 10^(15 − decimals).
  if (std::fabs(rounded) < kPowersOfTen[kSignificantDigits - decimals]) return rounded;
  // More digits than the text shows: the cell stands for its 15-digit text.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*G", kSignificantDigits, rounded);
  return std::strtod(buffer, nullptr);
}
