#pragma once
// The program-wide state of the desktop program: settings, the project's drive list and its
// changed flag. One instance lives from start-up to the end of the program; windows observe
// it through its signals. Qt Core only.

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

#include "app/editor/drive_document.h"

// One entry of the project's drive list, in window-number order: the drive's index in the
// list is its window number.
struct DriveRecord {
  QString name;           // the drive's name: window caption and the simulation input it drives
  qint32 id = 0;          // ID of that simulation input
  bool changed = false;   // set by every edit of the drive, not cleared by saving
  bool closed = false;    // the user has answered the closing question
  qint32 frameCount = 0;  // result rows of the last calculation
  std::shared_ptr<DriveDocument> document = std::make_shared<DriveDocument>();
};

class ProjectState : public QObject {
  Q_OBJECT
 public:
  static constexpr double kDefaultFrameTime = 0.02;
  static constexpr int kDefaultDecimals = 10;

  double frameTime() const { return frameTime_; }
  void setFrameTime(double seconds);  // > 0
  int decimals() const { return decimals_; }
  void setDecimals(int decimals);  // 0 … 15

  std::vector<DriveRecord>& drives() { return drives_; }
  const std::vector<DriveRecord>& drives() const { return drives_; }
  int driveCount() const { return static_cast<int>(drives_.size()); }
  // Appends a record and returns its window number.
  int addDrive(DriveRecord record);
  // Removes the record with this window number; the ones after it move down by one.
  void removeDrive(int number);

  bool isChanged() const { return changed_; }
  void ProjektGeaendert();  // project changed
  void projektOK();         // project saved or loaded

  // The simulation document's name (main status panel 2, the project file's second line).
  QString simulationDocument;
  // Frames the next transfer plays (set by the transfer check), and its abort flag.
  qint32 transferFrameCount = 0;
  bool abortTransfer = false;

 signals:
  void changedStateChanged(bool changed);
  void driveListChanged();
  void settingsChanged();

 private:
  double frameTime_ = kDefaultFrameTime;
  int decimals_ = kDefaultDecimals;
  std::vector<DriveRecord> drives_;
  bool changed_ = false;
};
