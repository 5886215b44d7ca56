#pragma once
// The options dialog's logic (frmOptions): frames per second and decimals. The dialog
// shows and edits frames per second; the program keeps the frame time, its reciprocal.

#include <QString>

#include <optional>

#include "app/shell/project_state.h"

// The frame time for a frames-per-second text (txtStep): 1 / value. Nothing unless the text
// is a number above 0 whose reciprocal is a finite time: such a text cannot leave txtStep.
std::optional<double> frameTimeFromText(const QString& framesPerSecond);
// txtStep's text for a frame time: general text of 1 / frameTime ("50" for 0.02).
QString framesPerSecondText(double frameTime);
// Main status panel 4: "Frames " + frames per second + "/s" ("Frames 50/s").
QString framesPanelText(double frameTime);
// frmDezimale's caption: on opening decimals + " " + text 138; while the slider moves
// decimals + " Nachkommastellen" (German whatever the language).
QString decimalsCaption(int decimals);
QString decimalsSlidingCaption(int decimals);

// Apply (cmdClose): frame time := 1 / frames per second, decimals := the slider's value,
// the project changed. False, with nothing changed, when the text is refused.
bool applyOptions(ProjectState& project, const QString& framesPerSecond, int decimals);
