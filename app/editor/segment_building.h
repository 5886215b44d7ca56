#pragma once
// Turning input rows into kernel segments, through the segment objects and their properties
// only: the server's segment(type), z0 and f0, isVarValue and value. Used when a law is
// chosen (SelDrive: the parameter marks) and when a drive is calculated (every row with its
// numeric parameters). Qt Core only.

#include <QString>
#include <QStringList>

#include "app/editor/input_rules.h"
#include "app/editor/input_table.h"
#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/com_ptr.h"

// The kernel type a law cell asks for: "Linear" for the end marker, else the cell's text.
// The end marker is written in the current language (text 189) and recognised in either, so
// a drive saved under the other language still calculates.
QString endMarker();
bool isEndMarker(const QString& lawCell);
QString segmentTypeOf(const QString& lawCell);

// A new segment of data row row's law with z0 and f0 from its cells. Null when the law is not
// among types (the kernel's type names, segmentTypesOf), z or f is not a number, or a kernel
// call fails.
ComPtr<IVelDriveSeg> newRowSegment(IVelDriveServer* server, const QStringList& types,
                                   const InputTable& table, int row);

// The drive of a whole table, named name: one segment per data row in table order, the end
// row included (a "Linear" segment at the drive's end point); each row's numeric parameter
// cells that its segment accepts are sent as values, "x", "n/A" and other texts are not. Null
// on any bad row or failing kernel call. The drive is in no server.
ComPtr<IVelDrive> buildKernelDrive(IVelDriveServer* server, const QString& name,
                                   const InputTable& table);

// SelDrive: applies the law just written into the cursor's row. A scratch drive named
// caption replaces *scratch; the row's parameter cells get "x" where the law accepts the value
// and "n/A" where not (typed numbers are overwritten); a law on the last row appends a row
// (NewLine, which moves the cursor), the end marker does not; the segment joins the scratch
// drive. Any failure shows message 168 (critical) and ends at that step: false.
bool SelDrive(IVelDriveServer* server, const QString& caption, InputTable& table,
              GridCursor& cursor, ComPtr<IVelDrive>* scratch);

// Message 168 "Bitte überprüfen Sie Ihre Eingaben" with the critical icon.
void showInputError();
