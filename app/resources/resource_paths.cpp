#include "app/resources/resource_paths.h"

QString stringTablePath() { return QStringLiteral(":/kinetra/string_table.tsv"); }

QString picturePath(const QString& fileName) {
  return QStringLiteral(":/kinetra/pictures/") + fileName;
}

QString manualPath() { return QStringLiteral(":/kinetra/manual"); }
