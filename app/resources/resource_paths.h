#pragma once
// Where the compiled-in resources of the program are found.

#include <QString>

// The numbered texts (number, German, English; TAB-separated).
QString stringTablePath();
// A picture by its file name, e.g. "saved.svg".
QString picturePath(const QString& fileName);
// The user manual's folder; its pages are manual/de/… and manual/en/….
QString manualPath();
