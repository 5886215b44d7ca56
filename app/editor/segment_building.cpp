#include "app/editor/segment_building.h"

#include <array>
#include <optional>

#include "app/common/kernel_client.h"
#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/editor/parameter_columns.h"
#include "platform/com/bstr.h"

namespace {

constexpr int kEndMarkerText = 189;
constexpr int kCheckInputMessage = 168;
const QString kNotApplicable = QStringLiteral("n/A");
const QString kVariable = QStringLiteral("x");

// The twelve kernel value names as automation strings, made once.
const std::array<Bstr, kParameterColumns.size()>& parameterNames() {
  static const auto names = [] {
    std::array<Bstr, kParameterColumns.size()> all;
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = Bstr(kParameterColumns[i].kernelName);
    return all;
  }();
  return names;
}

// isVarValue of name: nothing when the call fails.
std::optional<bool> acceptsValue(IVelDriveSeg* segment, const Bstr& name) {
  LONG variable = 0;
  if (FAILED(segment->isVarValue(name.get(), &variable))) return std::nullopt;
  return variable != 0;
}

// Sends the row's numeric parameter cells whose values the segment accepts; typeName and the
// value are read back after each, as the kernel's own clients do. False when a call fails.
bool sendParameters(IVelDriveSeg* segment, const InputTable::Row& cells) {
  for (std::size_t i = 0; i < kParameterColumns.size(); ++i) {
    const Bstr& name = parameterNames()[i];
    const std::optional<bool> accepted = acceptsValue(segment, name);
    if (!accepted) return false;
    const std::optional<double> value = parseNumber(cells[kParameterColumns[i].column]);
    if (!*accepted || !value) continue;
    Bstr typeName;
    double readBack = 0.0;
    if (FAILED(segment->put_value(name.get(), *value)) ||
        FAILED(segment->get_typeName(typeName.put())) ||
        FAILED(segment->get_value(name.get(), &readBack)))
      return false;
  }
  return true;
}

}  // namespace

QString endMarker() { return resString(kEndMarkerText); }

bool isEndMarker(const QString& lawCell) {
  return lawCell == resString(kEndMarkerText, Language::German) ||
         lawCell == resString(kEndMarkerText, Language::English);
}

QString segmentTypeOf(const QString& lawCell) {
  return isEndMarker(lawCell) ? QStringLiteral("Linear") : lawCell;
}

ComPtr<IVelDriveSeg> newRowSegment(IVelDriveServer* server, const QStringList& types,
                                   const InputTable& table, int row) {
  const QString type = segmentTypeOf(table.cell(row, InputTable::kLaw));
  // A law the kernel does not list is the row's fault, which the caller reports; asking the
  // kernel for it would add the kernel's own message about the name.
  if (!types.contains(type)) return {};
  ComPtr<IVelDriveSeg> segment;
  if (FAILED(server->get_segment(toBstr(type).get(), segment.put())) || !segment) return {};
  const std::optional<double> z0 = parseNumber(table.cell(row, InputTable::kZ));
  const std::optional<double> f0 = parseNumber(table.cell(row, InputTable::kF));
  if (!z0 || !f0 || FAILED(segment->put_z0(*z0)) || FAILED(segment->put_f0(*f0))) return {};
  return segment;
}

ComPtr<IVelDrive> buildKernelDrive(IVelDriveServer* server, const QString& name,
                                   const InputTable& table) {
  ComPtr<IVelDrive> drive;
  if (FAILED(server->newDrive(toBstr(name).get(), drive.put())) || !drive) return {};
  const QStringList types = segmentTypesOf(server);
  for (int row = 1; row <= table.lastRow(); ++row) {
    const ComPtr<IVelDriveSeg> segment = newRowSegment(server, types, table, row);
    if (!segment || !sendParameters(segment.get(), table.dataRows()[row - 1]) ||
        FAILED(drive->add(segment.get())))
      return {};
  }
  return drive;
}

bool SelDrive(IVelDriveServer* server, const QString& caption, InputTable& table,
              GridCursor& cursor, ComPtr<IVelDrive>* scratch) {
  const int row = cursor.row;
  const auto fail = [] {
    showInputError();
    return false;
  };
  ComPtr<IVelDrive> drive;
  if (FAILED(server->newDrive(toBstr(caption).get(), drive.put())) || !drive) return fail();
  *scratch = drive;
  const ComPtr<IVelDriveSeg> segment = newRowSegment(server, segmentTypesOf(server), table, row);
  if (!segment) return fail();
  for (std::size_t i = 0; i < kParameterColumns.size(); ++i) {
    const int column = kParameterColumns[i].column;
    table.setCell(row, column, kVariable);
    const std::optional<bool> accepted = acceptsValue(segment.get(), parameterNames()[i]);
    if (!accepted) return fail();
    if (!*accepted) table.setCell(row, column, kNotApplicable);
  }
  if (!isEndMarker(table.cell(row, InputTable::kLaw)) && row == table.lastRow())
    NewLine(table, cursor);
  if (FAILED(drive->add(segment.get()))) return fail();
  return true;
}

void showInputError() {
  showMessage(resString(kCheckInputMessage), QString::fromLatin1(kProductName),
              MessageIcon::Critical);
}
