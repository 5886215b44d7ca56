#pragma once
// frmInfo: what runs here. The operating system (frmBetriebssystem), motionsim's version and
// open document (frmWM, read through the guard), this program's version information
// (frmDriveTool) and the kernel's version (frmVeldrive). OK closes it; a double click on the
// picture ImgInfo closes it and opens frmHidden, which shows the company and the comment
// until it is clicked.

#include <QDialog>
#include <QString>

class SimulationGuard;
class QLabel;

// The program's version information.
struct VersionInfo {
  static QString company();
  static QString comment();
  static QString legalNotice();
  // "Version : " + major "." minor + " Revision: " + revision.
  static QString versionLine();
};

class frmInfo : public QDialog {
  Q_OBJECT
 public:
  frmInfo(const QString& kernelVersion, SimulationGuard& guard, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* ImgInfo_;
};

class frmHidden : public QWidget {
  Q_OBJECT
 public:
  explicit frmHidden(QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
