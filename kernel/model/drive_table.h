#pragma once
// The HTML table of a drive: one row per segment of its chain (the end segment included)
// with its number, type, boundary values and characteristic values. Values the client may
// set are blue; values a segment type does not have show "-".

#include <string>

class IVelDriveImp;

std::string driveHtmlTable(IVelDriveImp& drive);
