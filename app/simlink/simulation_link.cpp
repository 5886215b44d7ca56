#include "app/simlink/simulation_link.h"

#include <optional>

#include "simulator/socket_path.h"

using motionsim::Argument;
using motionsim::ObjectKind;
using motionsim::Value;

namespace {

constexpr std::uint8_t kGet = motionsim::kInvokeGet;
constexpr std::uint8_t kPut = motionsim::kInvokePut;
constexpr std::uint8_t kMethod = motionsim::kInvokeMethod;

QString typeName(const Value& v) {
  static const char* const kNames[] = {"empty",  "2-byte integer", "4-byte integer",
                                       "double", "text",           "object"};
  return QString::fromLatin1(kNames[v.index()]);
}

[[noreturn]] void throwTypeMismatch(const SimMember& member, const char* expected,
                                    const Value& got) {
  throw SimulationError(
      motionsim::kErrTypeMismatch,
      QStringLiteral("%1 returned %2 where %3 was expected")
          .arg(QString::fromLatin1(member.name), typeName(got), QString::fromLatin1(expected)));
}

qint32 wholeResult(const SimMember& member, const Value& v) {
  if (auto* i4 = std::get_if<std::int32_t>(&v)) return *i4;
  if (auto* i2 = std::get_if<std::int16_t>(&v)) return *i2;
  throwTypeMismatch(member, "a whole number", v);
}

double realResult(const SimMember& member, const Value& v) {
  if (auto* r8 = std::get_if<double>(&v)) return *r8;
  if (auto* i4 = std::get_if<std::int32_t>(&v)) return *i4;
  if (auto* i2 = std::get_if<std::int16_t>(&v)) return *i2;
  throwTypeMismatch(member, "a number", v);
}

QString textResult(const SimMember& member, const Value& v) {
  if (auto* s = std::get_if<std::string>(&v)) return QString::fromStdString(*s);
  throwTypeMismatch(member, "a text", v);
}

}  // namespace

SimulationError::SimulationError(int number, const QString& description)
    : std::runtime_error(
          QStringLiteral("simulation error %1: %2").arg(number).arg(description).toStdString()),
      number_(number),
      description_(description) {}

SimulationLink::SimulationLink(int timeoutMs) : timeoutMs_(timeoutMs), attachError_(0, QString()) {}

QString SimulationLink::interfaceId(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Application: return QStringLiteral("{AF346260-8971-11D0-8E33-0020AFFA5036}");
    case ObjectKind::Document: return QStringLiteral("{F96B3B12-3433-11D0-8B23-00A0244CE17E}");
    case ObjectKind::InputCollection:
      return QStringLiteral("{AD7F0AC1-C0A7-11D0-8E33-0020AFFA5036}");
    case ObjectKind::Body: return QStringLiteral("{1E74C2E3-FCF5-11D0-8E33-0020AFFA5036}");
    case ObjectKind::Input:
    case ObjectKind::BodyCollection:
    case ObjectKind::None: break;
  }
  return QString();  // reached late bound only, not narrowed to an interface
}

bool SimulationLink::AttachSimulation(const QString& socketPath) {
  if (attached_) return true;
  const std::string path =
      socketPath.isEmpty() ? motionsim::defaultSocketPath() : socketPath.toStdString();
  std::string version;
  std::string error;
  if (!connection_.open(path, timeoutMs_, version, error)) {
    attachError_ = SimulationError(motionsim::kErrCannotAttach, QString::fromStdString(error));
    return false;
  }
  serverVersion_ = QString::fromStdString(version);
  application_ = motionsim::kApplicationRef;
  try {
    const Value doc = invoke(application_, simmember::kActiveDocument, kGet);
    if (std::holds_alternative<SimRef>(doc) && std::get<SimRef>(doc).isNothing()) {
      throw SimulationError(motionsim::kErrCannotAttach,
                            QStringLiteral("motionsim runs but has no open document"));
    }
    document_ = narrow(doc, ObjectKind::Document);
    inputs_ = narrow(invoke(document_, simmember::kInputs, kGet), ObjectKind::InputCollection);
  } catch (const SimulationError& e) {
    attachError_ = e;
    connection_.close();
    lost_ = false;
    application_ = document_ = inputs_ = SimRef{};
    return false;
  }
  attached_ = true;
  return true;
}

void SimulationLink::throwLost() const {
  throw SimulationError(motionsim::kErrConnectionLost,
                        QStringLiteral("the connection to motionsim is broken"));
}

void SimulationLink::checkUsable() const {
  if (lost_) throwLost();
  if (!connection_.isOpen()) {
    throw SimulationError(motionsim::kErrObjectNotSet,
                          QStringLiteral("not attached to a simulation"));
  }
}

motionsim::Request SimulationLink::makeRequest(SimRef object, const SimMember& member,
                                               std::uint8_t invokeKind,
                                               const std::vector<Argument>& args) const {
  motionsim::Request request;
  request.object = object;
  request.invokeKind = invokeKind;
  request.byName = member.byName;
  if (member.byName) {
    request.memberName = member.name;
  } else {
    request.memberId = member.id;
  }
  request.args = args;
  // A request too large to encode never leaves: the connection stays sound.
  std::string probe;
  if (!motionsim::encodeRequest(request, probe)) {
    throw SimulationError(motionsim::kErrBadArgument, QStringLiteral("argument too long to send"));
  }
  return request;
}

void SimulationLink::readQueuedResponses() {
  for (; queued_ > 0; --queued_) {
    motionsim::Response response;
    if (!connection_.receive(response)) {
      lost_ = true;
      throwLost();
    }
    if (response.error != motionsim::kErrNone) ++droppedErrors_;
  }
}

Value SimulationLink::invoke(SimRef object, const SimMember& member, std::uint8_t invokeKind,
                             std::vector<Argument>& args) {
  std::vector<Call> calls{{object, member, invokeKind, std::move(args), {}}};
  try {
    invokeTogether(calls);
  } catch (const SimulationError&) {
    args = std::move(calls[0].args);
    throw;
  }
  args = std::move(calls[0].args);
  return std::move(calls[0].result);
}

void SimulationLink::invokeTogether(std::vector<Call>& calls) {
  checkUsable();
  for (const Call& call : calls) {
    if (observer_) observer_(call.member, call.invokeKind);
    if (!connection_.send(makeRequest(call.object, call.member, call.invokeKind, call.args))) {
      lost_ = true;
      throwLost();
    }
  }
  readQueuedResponses();  // answers of queued puts come before these
  std::optional<SimulationError> failed;
  for (Call& call : calls) {
    motionsim::Response response;
    if (!connection_.receive(response)) {
      lost_ = true;
      throwLost();
    }
    if (response.error != motionsim::kErrNone) {
      if (!failed) failed.emplace(response.error, QString::fromStdString(response.description));
      continue;
    }
    std::size_t out = 0;
    for (Argument& a : call.args) {
      if (a.byRef && out < response.byRefOut.size()) a.value = response.byRefOut[out++];
    }
    call.result = std::move(response.result);
  }
  if (failed) throw *failed;
}

void SimulationLink::queueInputValue(SimRef input, double value) {
  checkUsable();
  if (observer_) observer_(simmember::kInputValue, kPut);
  if (!connection_.send(makeRequest(input, simmember::kInputValue, kPut, {{value, false}}))) {
    lost_ = true;
    throwLost();
  }
  if (++queued_ >= kMaxQueued) readQueuedResponses();
}

Value SimulationLink::invoke(SimRef object, const SimMember& member, std::uint8_t invokeKind) {
  std::vector<Argument> none;
  return invoke(object, member, invokeKind, none);
}

SimRef SimulationLink::narrow(const Value& value, ObjectKind kind) const {
  const SimRef* ref = std::get_if<SimRef>(&value);
  if (ref == nullptr || ref->isNothing()) {
    throw SimulationError(motionsim::kErrObjectNotSet,
                          QStringLiteral("expected an object, got %1").arg(typeName(value)));
  }
  if (ref->kind() != kind) {
    throw SimulationError(
        motionsim::kErrTypeMismatch,
        QStringLiteral("the object cannot be narrowed to %1").arg(interfaceId(kind)));
  }
  return *ref;
}

// ---- application

SimRef SimulationLink::ActiveDocument() {
  return narrow(invoke(application_, simmember::kActiveDocument, kGet), ObjectKind::Document);
}

QString SimulationLink::VersionText() {
  return textResult(simmember::kVersionText, invoke(application_, simmember::kVersionText, kGet));
}

void SimulationLink::ApplicationMember9() {
  invoke(application_, simmember::kApplication9, kMethod);
}

void SimulationLink::ApplicationMember14() {
  invoke(application_, simmember::kApplication14, kMethod);
}

// ---- document

QString SimulationLink::DocumentName() {
  return textResult(simmember::kDocumentName, invoke(document_, simmember::kDocumentName, kGet));
}

SimRef SimulationLink::Inputs() {
  return narrow(invoke(document_, simmember::kInputs, kGet), ObjectKind::InputCollection);
}

SimRef SimulationLink::Bodies() {
  return narrow(invoke(document_, simmember::kBodies, kGet), ObjectKind::BodyCollection);
}

SimRef SimulationLink::Bodies(qint16 position) {
  return bodyAt(static_cast<std::int16_t>(position));
}

SimRef SimulationLink::Bodies(qint32 position) {
  return bodyAt(static_cast<std::int32_t>(position));
}

SimRef SimulationLink::bodyAt(Value position) {
  std::vector<Argument> args{{std::move(position), true}};
  currentBody_ = narrow(invoke(document_, simmember::kBodies, kGet, args), ObjectKind::Body);
  return currentBody_;
}

qint32 SimulationLink::NumFrames() {
  return wholeResult(simmember::kNumFrames, invoke(document_, simmember::kNumFrames, kGet));
}

double SimulationLink::CurrentTime() {
  return realResult(simmember::kCurrentTime, invoke(document_, simmember::kCurrentTime, kGet));
}

qint32 SimulationLink::CurrentFrame() {
  return wholeResult(simmember::kCurrentFrame, invoke(document_, simmember::kCurrentFrame, kGet));
}

void SimulationLink::setCurrentFrame(qint16 frame) {
  std::vector<Argument> args{{static_cast<std::int16_t>(frame), false}};
  invoke(document_, simmember::kCurrentFrame, kPut, args);
}

void SimulationLink::goToFrame(const SimMember& member, qint32 frame) {
  std::vector<Argument> args{{static_cast<std::int32_t>(frame), false}};
  invoke(document_, member, kMethod, args);
}

void SimulationLink::RunToFrame(qint32 frame) { goToFrame(simmember::kRunToFrame, frame); }

void SimulationLink::JumpToFrame(qint32 frame) { goToFrame(simmember::kJumpToFrame, frame); }

void SimulationLink::EndRun() { invoke(document_, simmember::kEndRun, kMethod); }

void SimulationLink::DocumentMember27() { invoke(document_, simmember::kDocument27, kMethod); }

// ---- collections, inputs, bodies

qint32 SimulationLink::Count(SimRef collection) {
  return wholeResult(simmember::kCount, invoke(collection, simmember::kCount, kGet));
}

SimRef SimulationLink::Item(SimRef inputCollection, qint16 position) {
  std::vector<Argument> args{{static_cast<std::int16_t>(position), false}};
  return narrow(invoke(inputCollection, simmember::kItem, kGet, args), ObjectKind::Input);
}

SimRef SimulationLink::Item(SimRef inputCollection, const QString& name) {
  std::vector<Argument> args{{name.toStdString(), false}};
  return narrow(invoke(inputCollection, simmember::kItem, kGet, args), ObjectKind::Input);
}

QString SimulationLink::Name(SimRef inputOrBody) {
  const SimMember& member =
      inputOrBody.kind() == ObjectKind::Body ? simmember::kBodyName : simmember::kInputName;
  return textResult(member, invoke(inputOrBody, member, kGet));
}

qint32 SimulationLink::ID(SimRef inputOrBody) {
  const SimMember& member =
      inputOrBody.kind() == ObjectKind::Body ? simmember::kBodyId : simmember::kInputId;
  return wholeResult(member, invoke(inputOrBody, member, kGet));
}

void SimulationLink::setInputValue(SimRef input, double value) {
  std::vector<Argument> args{{value, false}};
  invoke(input, simmember::kInputValue, kPut, args);
}

void SimulationLink::GetPosition(SimRef body, double& x, double& y, double& z, double& rx,
                                 double& ry, double& rz) {
  std::vector<Argument> args(6, Argument{x, true});
  double* targets[] = {&x, &y, &z, &rx, &ry, &rz};
  for (std::size_t i = 0; i < 6; ++i) args[i].value = *targets[i];
  invoke(body, simmember::kGetPosition, kMethod, args);
  for (std::size_t i = 0; i < 6; ++i) {
    *targets[i] = realResult(simmember::kGetPosition, args[i].value);
  }
}

// ---- operations of the link

bool SimulationLink::FrameRateProbe(double timeStep) {
  JumpToFrame(0);
  JumpToFrame(1);
  // Exact on purpose: any difference in the step, however small, fails the probe.
  return CurrentTime() == timeStep;
}

bool SimulationLink::CamMenuEnabled() { return NumFrames() >= 1; }

SimulationLink::RecordedFrame SimulationLink::RunToFrameAndRead(qint32 frame,
                                                                const std::vector<SimRef>& bodies) {
  std::vector<Call> calls;
  calls.reserve(bodies.size() + 2);
  calls.push_back({document_, simmember::kRunToFrame, kMethod, {{std::int32_t{frame}, false}}, {}});
  for (SimRef body : bodies) {
    calls.push_back(
        {body, simmember::kGetPosition, kMethod, std::vector<Argument>(6, {0.0, true}), {}});
  }
  calls.push_back({document_, simmember::kCurrentTime, kGet, {}, {}});
  invokeTogether(calls);
  RecordedFrame recorded;
  for (std::size_t b = 0; b < bodies.size(); ++b) {
    std::array<double, 6>& pose = recorded.poses.emplace_back();
    for (std::size_t i = 0; i < 6; ++i) {
      pose[i] = realResult(simmember::kGetPosition, calls[b + 1].args[i].value);
    }
  }
  recorded.time = realResult(simmember::kCurrentTime, calls.back().result);
  return recorded;
}
