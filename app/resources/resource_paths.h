#pragma once
// Where the compiled-in resources of the program are found.

#include <QString>

// The numbered texts (number, German, English; TAB-separated).
QString stringTablePath();
// A picture by its file name, e.g. "saved.svg".
QString picturePath(const QString& fileName);
// The user manual's folder; its pages are manual/de/… and manual/en/….
QString manualPath();

// The program's pictures by what they show.
inline constexpr char kPictureSaved[] = "saved.svg";      // project saved, drive calculated
inline constexpr char kPictureChanged[] = "changed.svg";  // project changed, drive to calculate
inline constexpr char kPictureCheckOk[] = "check_ok.svg";
inline constexpr char kPictureCheckFailed[] = "check_failed.svg";
inline constexpr char kPictureVerdictOk[] = "verdict_ok.svg";
inline constexpr char kPictureVerdictStop[] = "verdict_stop.svg";
inline constexpr char kPictureProgram[] = "kinetra.svg";  // the program's icon and info picture
inline constexpr char kPictureNormalisedCursor[] = "cursor_normalised.svg";
