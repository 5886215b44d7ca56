#include "app/cam/cam_session.h"

#include <cmath>

#include "app/cam/cam_export.h"
#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"

namespace {

constexpr int kTextRefresh = 121;
constexpr int kTextCam = 133;
constexpr int kTextRoller = 144;
constexpr int kTextPlate = 145;
constexpr int kTextCamSpline = 146;
constexpr int kTextUntilFrame = 148;
constexpr int kTextBody = 149;
constexpr int kTextExport = 150;
constexpr int kTextCancelled = 159;
constexpr int kTextClose = 165;
constexpr int kTextGetCam = 166;
constexpr int kTextPlane = 167;
constexpr int kTextCheckInput = 168;

QString productName() { return QString::fromLatin1(kProductName); }

// EingabeFehler
void inputError() { showMessage(resString(kTextCheckInput), productName(), MessageIcon::Question); }

}  // namespace

KurveTexts CamSession::texts(qint32 transferFrameCount) {
  KurveTexts t;
  t.caption = productName() + QStringLiteral("  ") + resString(kTextCamSpline);
  t.menuKurve = resString(kTextCam);
  t.menuWriteToFile = resString(kTextExport);
  t.menuRefresh = resString(kTextRefresh);
  t.menuClose = resString(kTextClose);
  t.bodiesFrame = QStringLiteral("ID        ") + resString(kTextBody);
  t.roller = resString(kTextRoller);
  t.plate = resString(kTextPlate);
  const char* const planes[kCamViews] = {"X-Y ", "Z-Y ", "X-Z "};
  for (int i = 0; i < kCamViews; ++i) {
    t.planes[i] = QString::fromLatin1(planes[i]) + resString(kTextPlane);
  }
  t.tableFrame = resString(kTextCamSpline);
  t.frameFrame = resString(kTextUntilFrame);
  t.frameText = QStringLiteral("0");
  if (transferFrameCount != 0) {
    const QString last = generalText(transferFrameCount - 1);
    t.frameText = last;
    t.frameFrame += QStringLiteral(" (max= ") + last + QLatin1Char(')');
  }
  t.runButton = resString(kTextGetCam);
  return t;
}

SimOutcome CamSession::BodyList() {
  bodies_.clear();
  return guard_.run([&](SimulationLink& link) {
    const qint32 count = link.Count(link.Bodies());
    for (qint32 i = 1; i <= count; ++i) {
      const SimRef body = link.Bodies(i);
      const qint32 id = link.ID(body);
      bodies_.push_back({generalText(id) + QLatin1Char('\t') + link.Name(body), id});
    }
  });
}

void CamSession::clearTableAndViews() {
  table_.clear();
  markerRow_.reset();
  KurveClear();
}

SimOutcome CamSession::pickBody(CamBody which, std::optional<int> listRow) {
  clearTableAndViews();
  if (!listRow) return SimOutcome::Done;
  return guard_.run([&](SimulationLink& link) {
    const SimRef body = link.Bodies(qint32{*listRow + 1});
    const QString text = link.Name(body) + QStringLiteral(" ID-") + generalText(link.ID(body));
    body_[index(which)] = body;
    bodyText_[index(which)] = text;
  });
}

CamRunEnd CamSession::run(const QString& frameText, const QString& multiplierText, int decimals,
                          LoopControl& loop, FrameStatusSink* status) {
  CamRunEnd end = CamRunEnd::Failed;
  guard_.run([&](SimulationLink& link) {
    end = record(link, frameText, multiplierText, decimals, loop, status);
  });
  return end;
}

CamRunEnd CamSession::record(SimulationLink& link, const QString& frameText,
                             const QString& multiplierText, int decimals, LoopControl& loop,
                             FrameStatusSink* status) {
  if (bodyText(CamBody::Roller).isEmpty() || bodyText(CamBody::Plate).isEmpty()) {
    inputError();
    return CamRunEnd::Refused;
  }
  const std::optional<double> last = parseNumber(frameText);
  if (!last) return CamRunEnd::NotANumber;
  const qint32 frames = link.NumFrames();
  // The last frame, taken as a whole number (halves to even), must be at least 1; the
  // text's own value must not pass the last frame the simulation holds.
  if (roundHalfEven(*last, 0) < 1.0 || *last > frames - 1.0) {
    inputError();
    return CamRunEnd::Refused;
  }
  const auto lastFrame = static_cast<qint32>(std::floor(*last));

  link.JumpToFrame(0);
  clearTableAndViews();
  const std::optional<double> multiplier = parseNumber(multiplierText);
  if (!multiplier) return CamRunEnd::NotANumber;
  table_.reserve(lastFrame + 1);
  LoopRun run(loop, lastFrame);
  for (qint32 f = 0; f <= lastFrame; ++f) {
    if (!run.proceed(f)) {
      run.end();
      showMessage(resString(kTextCancelled), productName(), MessageIcon::Critical);
      return CamRunEnd::Cancelled;
    }
    recordFrame(link, f, *multiplier, decimals);
    if (status != nullptr && status->statusDue()) {
      const double time = table_.value(table_.rowCount() - 1, CamTable::kTime);
      status->showStatus({{1, frameStatusText(link.CurrentFrame())}, {2, timeStatusText(time)}});
    }
  }
  run.end();
  link.EndRun();
  KurveScale();
  return CamRunEnd::Completed;
}

void CamSession::recordFrame(SimulationLink& link, qint32 frame, double multiplier, int decimals) {
  // The roller's angles are read with its position and not used: only the plate's turn
  // matters.
  const SimulationLink::RecordedFrame recorded =
      link.RunToFrameAndRead(frame, {body_[index(CamBody::Roller)], body_[index(CamBody::Plate)]});
  const auto& a = recorded.poses[0];
  const auto& b = recorded.poses[1];
  lastPoint_ = relativePoint({a[0], a[1], a[2]}, {b[0], b[1], b[2]}, {b[3], b[4], b[5]});
  table_.appendRow({static_cast<double>(frame), displayValue(multiplier * lastPoint_.x, decimals),
                    displayValue(multiplier * lastPoint_.y, decimals),
                    displayValue(multiplier * lastPoint_.z, decimals), shownNumber(recorded.time)});
}

bool CamSession::Multiplikator(const QString& multiplierText) {
  const std::optional<double> multiplier = parseNumber(multiplierText);
  if (!multiplier) return false;
  table_.multiply(*multiplier);
  KurveScale();
  return true;
}

std::optional<QList<StatusText>> CamSession::statusTexts() {
  std::optional<QList<StatusText>> texts;
  guard_.run([&](SimulationLink& link) {
    texts = QList<StatusText>{
        {6, QStringLiteral("Last computed frame=") + generalText(link.NumFrames() - 1)},
        {1, frameStatusText(link.CurrentFrame())},
        {2, timeStatusText(link.CurrentTime())}};
  });
  return texts;
}

bool CamSession::WriteToFile() const {
  return ::WriteToFile(table_, bodyText(CamBody::Roller), bodyText(CamBody::Plate));
}

void CamSession::KurveScale() {
  extent_ = table_.extent();
  views_.fill(scaledView(extent_));
  drawn_ = true;
}

bool CamSession::zoom(int view, Qt::MouseButton button, QPointF at) {
  const std::optional<ViewRect> zoomed = zoomedView(views_[view], button, at);
  if (!zoomed) return false;
  views_[view] = *zoomed;
  drawn_ = true;
  return true;
}

CamDrawing CamSession::drawing(int view) const {
  if (!drawn_) {
    CamDrawing empty;
    empty.view = views_[view];
    return empty;
  }
  return drawCamView(view, views_[view], extent_, table_, markerRow_);
}
