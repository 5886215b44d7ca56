#pragma once
// kinetra-batch cam ROLLER PLATE --frames L [--multiplier M] [--decimals N] --out FILE
//
// Records the cam of the running simulation as the cam window does: the roller's path in
// the plate's frame over frames 0 .. L, then writes it as the cam export does. ROLLER and
// PLATE name bodies of the simulation (by name, or by ID).

#include <QStringList>

int runCamCommand(const QStringList& args);
