#include "simulator/protocol.h"

#include <bit>

namespace motionsim {
namespace {

// Value tags on the wire; the order of Value's alternatives.
enum ValueTag : std::uint8_t {
  kTagEmpty = 0,
  kTagI2 = 1,
  kTagI4 = 2,
  kTagR8 = 3,
  kTagText = 4,
  kTagObject = 5,
};

constexpr std::uint8_t kMemberById = 0;
constexpr std::uint8_t kMemberByName = 1;
constexpr std::uint8_t kArgByRef = 1;

// Appends little-endian fields to a payload, remembering whether anything did not fit.
class Writer {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void u16(std::uint16_t v) { unsignedLe(v, 2); }
  void u32(std::uint32_t v) { unsignedLe(v, 4); }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void f64(double v) { unsignedLe(std::bit_cast<std::uint64_t>(v), 8); }
  void text(const std::string& s) {
    if (s.size() > kMaxTextBytes) {
      ok_ = false;
      return;
    }
    u16(static_cast<std::uint16_t>(s.size()));
    bytes_ += s;
  }
  void value(const Value& v) {
    u8(static_cast<std::uint8_t>(v.index()));
    if (auto* i2 = std::get_if<std::int16_t>(&v)) {
      u16(static_cast<std::uint16_t>(*i2));
    } else if (auto* i4 = std::get_if<std::int32_t>(&v)) {
      i32(*i4);
    } else if (auto* r8 = std::get_if<double>(&v)) {
      f64(*r8);
    } else if (auto* s = std::get_if<std::string>(&v)) {
      text(*s);
    } else if (auto* ref = std::get_if<ObjectRef>(&v)) {
      u32(ref->handle);
    }
  }
  void fail() { ok_ = false; }

  // Appends header and payload to out when everything fitted.
  bool finish(std::string& out) const {
    if (!ok_ || bytes_.size() > kMaxFrameBytes) {
      return false;
    }
    std::string header;
    const auto n = static_cast<std::uint32_t>(bytes_.size());
    for (int i = 0; i < 4; ++i) {
      header.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    }
    out += header;
    out += bytes_;
    return true;
  }

 private:
  void unsignedLe(std::uint64_t v, int count) {
    for (int i = 0; i < count; ++i) {
      bytes_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
  }

  std::string bytes_;
  bool ok_ = true;
};

// Reads little-endian fields from a payload; every read fails once the payload is short.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool u8(std::uint8_t& v) {
    std::uint64_t x = 0;
    if (!unsignedLe(x, 1)) return false;
    v = static_cast<std::uint8_t>(x);
    return true;
  }
  bool u16(std::uint16_t& v) {
    std::uint64_t x = 0;
    if (!unsignedLe(x, 2)) return false;
    v = static_cast<std::uint16_t>(x);
    return true;
  }
  bool u32(std::uint32_t& v) {
    std::uint64_t x = 0;
    if (!unsignedLe(x, 4)) return false;
    v = static_cast<std::uint32_t>(x);
    return true;
  }
  bool i32(std::int32_t& v) {
    std::uint32_t x = 0;
    if (!u32(x)) return false;
    v = static_cast<std::int32_t>(x);
    return true;
  }
  bool f64(double& v) {
    std::uint64_t x = 0;
    if (!unsignedLe(x, 8)) return false;
    v = std::bit_cast<double>(x);
    return true;
  }
  bool text(std::string& s) {
    std::uint16_t n = 0;
    if (!u16(n) || bytes_.size() - pos_ < n) return false;
    s.assign(bytes_.substr(pos_, n));
    pos_ += n;
    return true;
  }
  bool value(Value& v) {
    std::uint8_t tag = 0;
    if (!u8(tag)) return false;
    switch (tag) {
      case kTagEmpty: v = std::monostate{}; return true;
      case kTagI2: {
        std::uint16_t x = 0;
        if (!u16(x)) return false;
        v = static_cast<std::int16_t>(x);
        return true;
      }
      case kTagI4: {
        std::int32_t x = 0;
        if (!i32(x)) return false;
        v = x;
        return true;
      }
      case kTagR8: {
        double x = 0.0;
        if (!f64(x)) return false;
        v = x;
        return true;
      }
      case kTagText: {
        std::string s;
        if (!text(s)) return false;
        v = std::move(s);
        return true;
      }
      case kTagObject: {
        std::uint32_t h = 0;
        if (!u32(h)) return false;
        v = ObjectRef{h};
        return true;
      }
      default: return false;
    }
  }
  bool atEnd() const { return pos_ == bytes_.size(); }

 private:
  bool unsignedLe(std::uint64_t& v, std::size_t count) {
    if (bytes_.size() - pos_ < count) return false;
    v = 0;
    for (std::size_t i = 0; i < count; ++i) {
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    }
    pos_ += count;
    return true;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

bool encodeRequest(const Request& request, std::string& out) {
  Writer w;
  w.u32(request.object.handle);
  w.u8(request.invokeKind);
  if (request.byName) {
    w.u8(kMemberByName);
    w.text(request.memberName);
  } else {
    w.u8(kMemberById);
    w.i32(request.memberId);
  }
  if (request.args.size() > kMaxArguments) {
    w.fail();
  }
  w.u8(static_cast<std::uint8_t>(request.args.size()));
  for (const Argument& a : request.args) {
    w.u8(a.byRef ? kArgByRef : 0);
    w.value(a.value);
  }
  return w.finish(out);
}

bool decodeRequest(std::string_view payload, Request& out) {
  Reader r(payload);
  Request q;
  std::uint8_t form = 0;
  std::uint8_t argc = 0;
  if (!r.u32(q.object.handle) || !r.u8(q.invokeKind) || !r.u8(form)) return false;
  if (form == kMemberByName) {
    q.byName = true;
    if (!r.text(q.memberName)) return false;
  } else if (form == kMemberById) {
    if (!r.i32(q.memberId)) return false;
  } else {
    return false;
  }
  if (!r.u8(argc) || argc > kMaxArguments) return false;
  q.args.resize(argc);
  for (Argument& a : q.args) {
    std::uint8_t flags = 0;
    if (!r.u8(flags) || (flags & ~kArgByRef) != 0 || !r.value(a.value)) return false;
    a.byRef = (flags & kArgByRef) != 0;
  }
  if (!r.atEnd()) return false;
  out = std::move(q);
  return true;
}

bool encodeResponse(const Response& response, std::string& out) {
  Writer w;
  w.i32(response.error);
  w.text(response.description);
  w.value(response.result);
  if (response.byRefOut.size() > kMaxArguments) {
    w.fail();
  }
  w.u8(static_cast<std::uint8_t>(response.byRefOut.size()));
  for (const Value& v : response.byRefOut) {
    w.value(v);
  }
  return w.finish(out);
}

bool decodeResponse(std::string_view payload, Response& out) {
  Reader r(payload);
  Response p;
  std::uint8_t count = 0;
  if (!r.i32(p.error) || !r.text(p.description) || !r.value(p.result) || !r.u8(count) ||
      count > kMaxArguments) {
    return false;
  }
  p.byRefOut.resize(count);
  for (Value& v : p.byRefOut) {
    if (!r.value(v)) return false;
  }
  if (!r.atEnd()) return false;
  out = std::move(p);
  return true;
}

bool encodeGreeting(const Greeting& greeting, std::string& out) {
  Writer w;
  w.u8(greeting.accepted ? 1 : 0);
  w.u16(greeting.protocolVersion);
  w.text(greeting.text);
  return w.finish(out);
}

bool decodeGreeting(std::string_view payload, Greeting& out) {
  Reader r(payload);
  Greeting g;
  std::uint8_t accepted = 0;
  if (!r.u8(accepted) || accepted > 1 || !r.u16(g.protocolVersion) || !r.text(g.text) ||
      !r.atEnd()) {
    return false;
  }
  g.accepted = accepted == 1;
  out = std::move(g);
  return true;
}

FrameStatus peekFrame(std::string_view buffer, std::size_t& payloadSize) {
  if (buffer.size() < kFrameHeaderBytes) {
    return FrameStatus::Incomplete;
  }
  std::size_t n = 0;
  for (std::size_t i = 0; i < kFrameHeaderBytes; ++i) {
    n |= static_cast<std::size_t>(static_cast<unsigned char>(buffer[i])) << (8 * i);
  }
  if (n > kMaxFrameBytes) {
    return FrameStatus::TooLarge;
  }
  if (buffer.size() - kFrameHeaderBytes < n) {
    return FrameStatus::Incomplete;
  }
  payloadSize = n;
  return FrameStatus::Complete;
}

}  // namespace motionsim
