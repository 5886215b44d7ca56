#include "simulator/object_model.h"

#include <cmath>
#include <span>

namespace motionsim {

struct ObjectModel::Call {
  const Request& request;
  Response& response;
  std::uint32_t index;  // position of the input or body the call is made on
  bool isPut;
  const char* member;  // for error texts
};

struct ObjectModel::Member {
  ObjectKind object;
  std::int32_t id;
  const char* name;  // null: the member is reached by identifier only
  std::uint8_t kinds;
  void (ObjectModel::*handler)(Call&);

  static std::span<const Member> all();
};

namespace {

constexpr std::uint8_t kGet = kInvokeGet | kInvokeMethod;
constexpr std::uint8_t kGetPut = kGet | kInvokePut;
constexpr std::uint8_t kMethod = kInvokeMethod | kInvokeGet;

bool sameNameIgnoringCase(std::string_view a, const char* b) {
  std::string_view bv(b);
  if (a.size() != bv.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(bv[i])) return false;
  }
  return true;
}

void setError(Response& response, std::int32_t number, std::string description) {
  response.error = number;
  response.description = std::move(description);
  response.result = std::monostate{};
  response.byRefOut.clear();
}

// A whole number from a 2-byte or 4-byte integer or a double with a whole value in range.
bool wholeNumber(const Value& v, std::int32_t& out) {
  if (auto* i2 = std::get_if<std::int16_t>(&v)) {
    out = *i2;
    return true;
  }
  if (auto* i4 = std::get_if<std::int32_t>(&v)) {
    out = *i4;
    return true;
  }
  if (auto* r8 = std::get_if<double>(&v)) {
    if (std::isfinite(*r8) && *r8 == std::trunc(*r8) && *r8 >= -2147483648.0 &&
        *r8 <= 2147483647.0) {
      out = static_cast<std::int32_t>(*r8);
      return true;
    }
  }
  return false;
}

bool realNumber(const Value& v, double& out) {
  if (auto* i2 = std::get_if<std::int16_t>(&v)) {
    out = *i2;
  } else if (auto* i4 = std::get_if<std::int32_t>(&v)) {
    out = *i4;
  } else if (auto* r8 = std::get_if<double>(&v)) {
    out = *r8;
  } else {
    return false;
  }
  return true;
}

bool expectArgs(ObjectModel::Call& call, std::size_t count);

}  // namespace

std::span<const ObjectModel::Member> ObjectModel::Member::all() {
  using K = ObjectKind;
  static const Member kMembers[] = {
      {K::Application, 6, "ActiveDocument", kGet, &ObjectModel::activeDocument},
      {K::Application, 9, nullptr, kMethod, &ObjectModel::noEffect},
      {K::Application, 11, "VersionText", kGet, &ObjectModel::versionText},
      {K::Application, 14, nullptr, kMethod, &ObjectModel::noEffect},
      {K::Document, 1, "DocumentName", kGet, &ObjectModel::documentName},
      {K::Document, 5, "Inputs", kGet, &ObjectModel::inputs},
      {K::Document, 6, "Bodies", kGet, &ObjectModel::bodies},
      {K::Document, 7, "NumFrames", kGet, &ObjectModel::numFrames},
      {K::Document, 12, "CurrentTime", kGet, &ObjectModel::currentTime},
      {K::Document, 13, "CurrentFrame", kGetPut, &ObjectModel::currentFrame},
      {K::Document, 22, "RunToFrame", kMethod, &ObjectModel::goToFrame},
      {K::Document, 23, "EndRun", kMethod, &ObjectModel::noEffect},
      {K::Document, 27, nullptr, kMethod, &ObjectModel::noEffect},
      {K::Document, 28, "JumpToFrame", kMethod, &ObjectModel::goToFrame},
      {K::InputCollection, 0, "Item", kGet, &ObjectModel::inputItem},
      {K::InputCollection, 1, "Count", kGet, &ObjectModel::collectionCount},
      {K::Input, 2, "Name", kGet, &ObjectModel::inputName},
      {K::Input, 3, "ID", kGet, &ObjectModel::inputId},
      {K::Input, 4, "InputValue", kGetPut, &ObjectModel::inputValue},
      {K::BodyCollection, 1, "Count", kGet, &ObjectModel::collectionCount},
      {K::Body, 20, "GetPosition", kMethod, &ObjectModel::getPosition},
      {K::Body, 0x20001, "ID", kGet, &ObjectModel::bodyId},
      {K::Body, 0x20002, "Name", kGet, &ObjectModel::bodyName},
  };
  return kMembers;
}

namespace {

bool expectArgs(ObjectModel::Call& call, std::size_t count) {
  if (call.request.args.size() == count) return true;
  setError(call.response, kErrBadArgument,
           std::string(call.member) + " takes " + std::to_string(count) +
               (count == 1 ? " argument" : " arguments") + ", not " +
               std::to_string(call.request.args.size()));
  return false;
}

}  // namespace

ObjectModel::ObjectModel(std::string versionText, std::string documentName, Simulation* simulation)
    : versionText_(std::move(versionText)),
      documentName_(std::move(documentName)),
      simulation_(simulation) {}

bool ObjectModel::resolveObject(const Request& request, Response& response) const {
  const ObjectRef ref = request.object;
  if (ref.isNothing()) {
    setError(response, kErrObjectNotSet, "call on an empty object reference");
    return false;
  }
  bool valid = false;
  switch (ref.kind()) {
    case ObjectKind::Application: valid = ref.index() == 0; break;
    case ObjectKind::Document:
    case ObjectKind::InputCollection:
    case ObjectKind::BodyCollection: valid = simulation_ != nullptr && ref.index() == 0; break;
    case ObjectKind::Input:
      valid = simulation_ != nullptr && ref.index() < simulation_->inputCount();
      break;
    case ObjectKind::Body:
      valid = simulation_ != nullptr && ref.index() < simulation_->bodyCount();
      break;
    case ObjectKind::None: break;
  }
  if (!valid) {
    setError(response, kErrBadArgument,
             "no such object (handle " + std::to_string(ref.handle) + ")");
  }
  return valid;
}

Response ObjectModel::invoke(const Request& request) {
  Response response;
  if (!resolveObject(request, response)) {
    return response;
  }
  const Member* member = nullptr;
  for (const Member& m : Member::all()) {
    if (m.object != request.object.kind()) continue;
    if (request.byName ? (m.name != nullptr && sameNameIgnoringCase(request.memberName, m.name))
                       : m.id == request.memberId) {
      member = &m;
      break;
    }
  }
  const std::string shown =
      request.byName ? request.memberName : "member " + std::to_string(request.memberId);
  if (member == nullptr) {
    setError(response, kErrUnknownMember, "object does not support " + shown);
    return response;
  }
  const std::uint8_t kind = request.invokeKind;
  if (kind == 0 || (kind & ~member->kinds) != 0 ||
      ((kind & kInvokePut) != 0 && kind != kInvokePut)) {
    setError(response, kErrUnknownMember,
             "object does not support " + shown + " for this kind of call");
    return response;
  }
  // By-reference arguments come back as they went unless the member writes them.
  for (const Argument& a : request.args) {
    if (a.byRef) response.byRefOut.push_back(a.value);
  }
  const std::string memberName = member->name != nullptr ? member->name : shown;
  Call call{request, response, request.object.index(), kind == kInvokePut, memberName.c_str()};
  (this->*member->handler)(call);
  return response;
}

void ObjectModel::handlePayload(std::string_view payload, std::string& out) {
  Request request;
  Response response;
  if (decodeRequest(payload, request)) {
    response = invoke(request);
  } else {
    setError(response, kErrBadArgument, "malformed request");
  }
  if (!encodeResponse(response, out)) {
    Response tooLarge;
    setError(tooLarge, kErrBadArgument, "result too large to send");
    encodeResponse(tooLarge, out);
  }
}

// ---- application

void ObjectModel::activeDocument(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_ != nullptr ? makeRef(ObjectKind::Document) : ObjectRef{};
}

void ObjectModel::noEffect(Call& call) { expectArgs(call, 0); }

void ObjectModel::versionText(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = versionText_;
}

// ---- document

void ObjectModel::documentName(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = documentName_;
}

void ObjectModel::inputs(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = makeRef(ObjectKind::InputCollection);
}

void ObjectModel::bodies(Call& call) {
  if (call.request.args.empty()) {
    call.response.result = makeRef(ObjectKind::BodyCollection);
    return;
  }
  if (!expectArgs(call, 1)) return;
  std::int32_t position = 0;
  if (!wholeNumber(call.request.args[0].value, position)) {
    setError(call.response, kErrBadArgument, "Bodies: the position must be a whole number");
    return;
  }
  if (position < 1 || static_cast<std::size_t>(position) > simulation_->bodyCount()) {
    setError(call.response, kErrNoSuchItem,
             "Bodies: no body at position " + std::to_string(position) + " (there are " +
                 std::to_string(simulation_->bodyCount()) + ")");
    return;
  }
  call.response.result = makeRef(ObjectKind::Body, static_cast<std::uint32_t>(position - 1));
}

void ObjectModel::numFrames(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->numFrames();
}

void ObjectModel::currentTime(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->currentTime();
}

void ObjectModel::currentFrame(Call& call) {
  if (!call.isPut) {
    if (!expectArgs(call, 0)) return;
    call.response.result = simulation_->currentFrame();
    return;
  }
  goToFrame(call);
}

void ObjectModel::goToFrame(Call& call) {
  if (!expectArgs(call, 1)) return;
  std::int32_t frame = 0;
  if (!wholeNumber(call.request.args[0].value, frame)) {
    setError(call.response, kErrBadArgument,
             std::string(call.member) + ": the frame must be a whole number");
    return;
  }
  if (!simulation_->goToFrame(frame)) {
    setError(call.response, kErrBadArgument,
             std::string(call.member) + ": frame " + std::to_string(frame) + " is outside 0 .. " +
                 std::to_string(simulation_->frameLimit()));
  }
}

// ---- collections

void ObjectModel::collectionCount(Call& call) {
  if (!expectArgs(call, 0)) return;
  const std::size_t n = call.request.object.kind() == ObjectKind::InputCollection
                            ? simulation_->inputCount()
                            : simulation_->bodyCount();
  call.response.result = static_cast<std::int32_t>(n);
}

void ObjectModel::inputItem(Call& call) {
  if (!expectArgs(call, 1)) return;
  const Value& key = call.request.args[0].value;
  const auto& inputs = simulation_->mechanism().inputs;
  if (auto* name = std::get_if<std::string>(&key)) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      if (inputs[i].name == *name) {
        call.response.result = makeRef(ObjectKind::Input, static_cast<std::uint32_t>(i));
        return;
      }
    }
    setError(call.response, kErrNoSuchItem, "Item: no input named \"" + *name + "\"");
    return;
  }
  std::int32_t position = 0;
  if (!wholeNumber(key, position)) {
    setError(call.response, kErrBadArgument, "Item: expected a position or a name");
    return;
  }
  if (position < 1 || static_cast<std::size_t>(position) > inputs.size()) {
    setError(call.response, kErrNoSuchItem,
             "Item: no input at position " + std::to_string(position) + " (there are " +
                 std::to_string(inputs.size()) + ")");
    return;
  }
  call.response.result = makeRef(ObjectKind::Input, static_cast<std::uint32_t>(position - 1));
}

// ---- inputs

void ObjectModel::inputName(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->mechanism().inputs[call.index].name;
}

void ObjectModel::inputId(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->mechanism().inputs[call.index].id;
}

void ObjectModel::inputValue(Call& call) {
  if (!call.isPut) {
    if (!expectArgs(call, 0)) return;
    call.response.result = simulation_->inputValue(call.index);
    return;
  }
  if (!expectArgs(call, 1)) return;
  double value = 0.0;
  if (!realNumber(call.request.args[0].value, value) ||
      !simulation_->setInputValue(call.index, value)) {
    setError(call.response, kErrBadArgument, "InputValue: the value must be a finite number");
  }
}

// ---- bodies

void ObjectModel::bodyId(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->mechanism().bodies[call.index].id;
}

void ObjectModel::bodyName(Call& call) {
  if (!expectArgs(call, 0)) return;
  call.response.result = simulation_->mechanism().bodies[call.index].name;
}

void ObjectModel::getPosition(Call& call) {
  if (!expectArgs(call, 6)) return;
  for (const Argument& a : call.request.args) {
    if (!a.byRef) {
      setError(call.response, kErrBadArgument,
               "GetPosition: all six arguments must be passed by reference");
      return;
    }
  }
  const BodyPose& pose = simulation_->bodyPose(call.index);
  call.response.byRefOut = {pose.position.x, pose.position.y, pose.position.z,
                            pose.angles.x,   pose.angles.y,   pose.angles.z};
}

}  // namespace motionsim
