#pragma once
// frmOptions: frames per second (txtStep) and decimal places (sldDezimale) of the next
// calculations. Apply (cmdClose) takes both and marks the project changed; Cancel
// (cmdCancel) changes nothing. A frames-per-second text that is not a number above 0 keeps
// the focus, its whole text selected.

#include <QDialog>

class ProjectState;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSlider;

class frmOptions : public QDialog {
  Q_OBJECT
 public:
  explicit frmOptions(ProjectState& project, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cmdClose();
  // Keeps the focus in txtStep with its text selected.
  void refuseStep();

  ProjectState& project_;
  QGroupBox* frmDezimale_;
  QSlider* sldDezimale_;
  QLineEdit* txtStep_;
  QPushButton* cmdClose_;
};
