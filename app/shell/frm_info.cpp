#include "app/shell/frm_info.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "app/common/string_table.h"
#include "app/resources/resource_paths.h"
#include "app/shell/main_window_logic.h"
#include "app/simlink/simulation_guard.h"

namespace {

constexpr int kPictureSide = 96;

// A frame of labels, one under the other.
QGroupBox* frame(const char* name, const QString& title, const QStringList& lines,
                 QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(QLatin1String(name));
  auto* layout = new QVBoxLayout(box);
  for (const QString& line : lines) {
    auto* label = new QLabel(line, box);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
  }
  return box;
}

}  // namespace

QString VersionInfo::company() { return QStringLiteral("Kinetra"); }

QString VersionInfo::comment() {
  return QStringLiteral(
      "Auslegung von Kurven- und Stellantrieben nach VDI 2143\n"
      "Cam and actuator drive design after VDI 2143");
}

QString VersionInfo::legalNotice() {
  return QStringLiteral("© Kinetra, ohne Gewähr / without warranty");
}

QString VersionInfo::versionLine() {
  const AppVersion v = applicationVersion();
  return QStringLiteral("Version : %1.%2 Revision: %3").arg(v.major).arg(v.minor).arg(v.revision);
}

frmInfo::frmInfo(const QString& kernelVersion, SimulationGuard& guard, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmInfo"));
  const QString product = QLatin1String(kProductName);
  setWindowTitle(product + QStringLiteral(" Info"));

  QString versionText;
  QString documentName;
  // A failing read leaves its line empty; the dialog shows what it has.
  guard.run([&](SimulationLink& sim) {
    versionText = sim.VersionText();
    documentName = sim.DocumentName();
  });

  ImgInfo_ = new QLabel(this);
  ImgInfo_->setObjectName(QStringLiteral("ImgInfo"));
  ImgInfo_->setPixmap(
      QIcon(picturePath(QLatin1String(kPictureProgram))).pixmap(kPictureSide, kPictureSide));
  ImgInfo_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  ImgInfo_->installEventFilter(this);

  const QString os = QSysInfo::prettyProductName() + QStringLiteral(", ") + QSysInfo::kernelType() +
                     QLatin1Char(' ') + QSysInfo::kernelVersion();
  auto* frames = new QVBoxLayout;
  frames->addWidget(frame("frmBetriebssystem", QStringLiteral("Betriebssystem / OS"), {os}, this));
  frames->addWidget(frame("frmWM", QStringLiteral("motionsim"), {versionText, documentName}, this));
  frames->addWidget(
      frame("frmDriveTool", product,
            {QStringLiteral("Copyright: ") + VersionInfo::legalNotice(),
             QStringLiteral("Firma / Company :") + VersionInfo::company(),
             QStringLiteral("Programm Pfad /Path: ") + QCoreApplication::applicationDirPath(),
             VersionInfo::versionLine()},
            this));
  frames->addWidget(frame("frmVeldrive", QStringLiteral("Vel Drive:"), {kernelVersion}, this));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(ImgInfo_, 0, 0);
  layout->addLayout(frames, 0, 1);
  layout->addWidget(buttons, 1, 0, 1, 2);
  layout->setColumnStretch(1, 1);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool frmInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ImgInfo_ && event->type() == QEvent::MouseButtonDblClick) {
    auto* hidden = new frmHidden(parentWidget());
    hidden->show();
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

frmHidden::frmHidden(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmHidden"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QLatin1String(kProductName));
  auto* text =
      new QPlainTextEdit(VersionInfo::company() + QLatin1Char('\n') + VersionInfo::comment(), this);
  text->setObjectName(QStringLiteral("txtHidden"));
  text->setReadOnly(true);
  text->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  resize(440, 110);
}

bool frmHidden::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
