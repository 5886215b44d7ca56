#pragma once
// The wire format between motionsim and its client. Every message is a frame: a 4-byte
// little-endian payload length, then the payload. After a client connects the server sends
// one greeting (accepted or refused, with a text); then each request (object, member by
// identifier or by name, invoke kind, arguments) gets exactly one response (automation
// error number, description, result, the by-reference arguments written back).
//
// Fields are little-endian; doubles travel as their IEEE-754 bit pattern; texts are UTF-8
// with a 2-byte length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace motionsim {

constexpr std::uint16_t kProtocolVersion = 1;
// Largest payload of one frame; a longer announced length ends the connection.
constexpr std::size_t kMaxFrameBytes = 65536;
constexpr std::size_t kFrameHeaderBytes = 4;
constexpr std::size_t kMaxArguments = 16;
constexpr std::size_t kMaxTextBytes = 65535;

// Automation error numbers used by the server and the link.
constexpr std::int32_t kErrNone = 0;
constexpr std::int32_t kErrBadArgument = 5;       // invalid procedure call or argument
constexpr std::int32_t kErrNoSuchItem = 9;        // subscript out of range
constexpr std::int32_t kErrTypeMismatch = 13;     // a result or reference of the wrong type
constexpr std::int32_t kErrObjectNotSet = 91;     // call on an empty reference
constexpr std::int32_t kErrCannotAttach = 429;    // no running instance to attach to
constexpr std::int32_t kErrUnknownMember = 438;   // object does not support the member
constexpr std::int32_t kErrConnectionLost = 462;  // the server is gone or does not answer

// Objects of the served model. A reference is a handle: kind in the top byte, the index
// (input or body position, 0-based) in the lower three. Handle 0 is the empty reference.
enum class ObjectKind : std::uint8_t {
  None = 0,
  Application = 1,
  Document = 2,
  InputCollection = 3,
  Input = 4,
  BodyCollection = 5,
  Body = 6,
};
constexpr std::uint32_t kMaxObjectIndex = 0xFFFFFF;

struct ObjectRef {
  std::uint32_t handle = 0;
  constexpr bool isNothing() const { return handle == 0; }
  constexpr ObjectKind kind() const { return static_cast<ObjectKind>(handle >> 24); }
  constexpr std::uint32_t index() const { return handle & kMaxObjectIndex; }
  friend constexpr bool operator==(ObjectRef, ObjectRef) = default;
};
constexpr ObjectRef makeRef(ObjectKind kind, std::uint32_t index = 0) {
  return ObjectRef{(static_cast<std::uint32_t>(kind) << 24) | (index & kMaxObjectIndex)};
}
constexpr ObjectRef kApplicationRef = makeRef(ObjectKind::Application);

// Automation value: empty, 2-byte integer, 4-byte integer, double, text, object reference.
using Value =
    std::variant<std::monostate, std::int16_t, std::int32_t, double, std::string, ObjectRef>;

// Invoke kinds, as bit flags so a member can accept several.
enum InvokeKind : std::uint8_t {
  kInvokeMethod = 1,
  kInvokeGet = 2,
  kInvokePut = 4,
};

struct Argument {
  Value value;
  bool byRef = false;
};

struct Request {
  ObjectRef object;
  std::uint8_t invokeKind = kInvokeGet;
  bool byName = false;  // bound by name (memberName) or by identifier (memberId)
  std::int32_t memberId = 0;
  std::string memberName;
  std::vector<Argument> args;  // for a put, the new value is the last argument
};

struct Response {
  std::int32_t error = kErrNone;
  std::string description;
  Value result;
  std::vector<Value> byRefOut;  // one per by-reference argument, in argument order
};

struct Greeting {
  bool accepted = false;
  std::uint16_t protocolVersion = kProtocolVersion;
  std::string text;  // the version text when accepted, the reason when refused
};

// Encoders append one complete frame (header and payload) to out. They return false, and
// leave out as it was, when a text is longer than kMaxTextBytes, there are more than
// kMaxArguments arguments, or the payload would exceed kMaxFrameBytes.
bool encodeRequest(const Request& request, std::string& out);
bool encodeResponse(const Response& response, std::string& out);
bool encodeGreeting(const Greeting& greeting, std::string& out);

// Decoders read one payload (without the header). They return false for anything that is
// not exactly one well-formed message: unknown tags, short fields, trailing bytes.
bool decodeRequest(std::string_view payload, Request& out);
bool decodeResponse(std::string_view payload, Response& out);
bool decodeGreeting(std::string_view payload, Greeting& out);

// Looks at the start of buffer: Complete with payloadSize set when one whole frame is there,
// Incomplete when more bytes are needed, TooLarge when the announced length is over the limit.
enum class FrameStatus { Incomplete, Complete, TooLarge };
FrameStatus peekFrame(std::string_view buffer, std::size_t& payloadSize);

}  // namespace motionsim
