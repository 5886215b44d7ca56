#pragma once
// Numbers as the program shows, writes and reads them.
//
// General text: up to 15 significant digits, trailing zeros dropped, the locale's decimal
// separator, no leading blank; exponent form ("1E+20", "1,5E-05") below 1e-4 and from 1e15.
// Signed text: the same digits with "." as decimal point and a leading blank for values
// that are not negative (value logs, exchange files, cam export).
// Print-file forms: the line conventions of the project and drive files (" 12 ", " .02 ").

#include <QLocale>
#include <QString>

#include <optional>

QString generalText(double value, const QLocale& locale = QLocale());
QString signedText(double value);

// " 12 " for 12, "-3 " for -3.
QString printFileInteger(qint64 value);
// General text without the zero before the separator, between the blanks of an integer:
// 0.02 gives " .02 " (English) or " ,02 " (German), -0.5 gives "-.5 ".
QString printFileDouble(double value, const QLocale& locale = QLocale());
// "True" or "False", never translated.
QString printFileBool(bool value);

// A number text read back: blanks around it ignored, the locale's decimal separator (group
// separators refused, so "1.5" never turns into 15 under a German locale), else the C form
// with ".", so files and cells written under either convention read back. Nothing for
// empty, non-numeric or non-finite text.
std::optional<double> parseNumber(const QString& text, const QLocale& locale = QLocale());

// value rounded to decimals places (0 … 15), halves to even: 0.125 at 2 places is 0.12.
double roundHalfEven(double value, int decimals);
// The number a result cell shows for value at decimals places: rounded half to even and
// held to the 15 significant digits of general text, so that reading the cell's text back
// gives exactly this number.
double displayValue(double value, int decimals);
