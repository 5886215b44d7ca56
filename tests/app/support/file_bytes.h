#pragma once
// The bytes of a file as they are on disk (line ends and encoding included); empty when it
// cannot be read.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
