#include "kernel/model/drive_core.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_format.h"
#include "kernel/model/segment_registry.h"
#include "kernel/model/value_names.h"
#include "kernel/support/auxcom.h"
#include "kernel/support/numeric.h"

using veldrive::kDoubleMax;

namespace {

// z this close outside the drive's ends (2^-26) is moved onto the end.
constexpr double kSnapTolerance = 1.4901161193847656e-8;

// Which drive each linked segment belongs to. A segment may be in one chain only: linking
// it a second time would close a cycle in its own chain or cut another drive's chain.
// Like the library's other shared state it is used from one thread (apartment model).
// Never destroyed: drives held by other static objects (dynamic members of a class) are
// released during static destruction and still need it then.
std::unordered_map<const IVelDriveSegImp*, const VelDriveImp*>& owners() {
  static auto* map = new std::unordered_map<const IVelDriveSegImp*, const VelDriveImp*>;
  return *map;
}

IVelDriveSegImp* registrySegment(const char* typeName) { return createSegment(typeName); }

// One hand-over step across the joint of a (earlier) and b (later): forward, b's start value
// (fd0 or fdd0) is taken from a's end value (fd1 or fdd1); backward, the other way round.
// The receiver must not be compiled and must take the value, the giver must know it.
struct HandOver {
  ValueType endCode;    // fd1 / fdd1 of a
  ValueType startCode;  // fd0 / fdd0 of b
  bool forward;
};

void handOver(IVelDriveSegImp* a, IVelDriveSegImp* b, const HandOver& step) {
  IVelDriveSegImp* to = step.forward ? b : a;
  IVelDriveSegImp* from = step.forward ? a : b;
  const ValueType toCode = step.forward ? step.startCode : step.endCode;
  const ValueType fromCode = step.forward ? step.endCode : step.startCode;
  if (to->isCompiled() || !to->isVarValue(toCode, vsDerived) || !from->isKnownValue(fromCode))
    return;
  to->setValue(toCode, vsDerived, from->value(fromCode));
  // Both numbers are the values after the hand-over.
  traceDebug(step.forward ? "%s.%s(%lg) -> %s.%s(%lg)\n" : "%s.%s(%lg) <- %s.%s(%lg)\n",
             a->typeName(), valueTypeName(step.endCode), a->value(step.endCode), b->typeName(),
             valueTypeName(step.startCode), b->value(step.startCode));
}

}  // namespace

VelDriveImp::VelDriveImp(const char* name) { setName(name); }

VelDriveImp::~VelDriveImp() {
  VelDriveImp::clear();
  delete[] name_;
}

// ---- name, chain

const char* VelDriveImp::name() { return name_; }

void VelDriveImp::setName(const char* text) {
  if (text == name_) return;
  char* copy = nullptr;
  if (text) {
    const std::size_t length = std::strlen(text);
    copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
  }
  delete[] name_;
  name_ = copy;
}

IVelDriveSegImp* VelDriveImp::head() { return head_; }

IVelDriveSegImp* VelDriveImp::tail() { return tail_; }

bool VelDriveImp::isOrdered() {
  if (orderedAt_ == VelDriveSegImp::linkedMoveCount()) return true;
  for (IVelDriveSegImp* s = head_; s && s->next(); s = s->next())
    if (!(s->z0() <= s->next()->z0())) return false;
  orderedAt_ = VelDriveSegImp::linkedMoveCount();
  return true;
}

bool VelDriveImp::isMember(IVelDriveSegImp* seg) const {
  const auto it = owners().find(seg);
  return it != owners().end() && it->second == this;
}

int VelDriveImp::insert(IVelDriveSegImp* seg) {
  // A drive takes no links, so a chain through one would lose the segments behind it; a
  // segment that is already linked somewhere would be linked twice.
  if (!seg || dynamic_cast<IVelDriveImp*>(seg) || owners().count(seg)) {
    reportError("Attempt to insert invalid drive segment.");
    return 1;
  }
  const double z = seg->z0();
  const bool ordered = isOrdered();
  if (!head_ || z < head_->z0()) {
    seg->setNext(head_);
    seg->setPrev(nullptr);
    if (head_) head_->setPrev(seg);
    head_ = seg;
    if (!tail_) tail_ = seg;
  } else {
    // Ties go after the head, and before a later segment with the same z0. In a chain in
    // z0 order the walk from the head ends at the tail for any z beyond the tail's z0, so
    // building a drive front to back costs no walk per segment.
    IVelDriveSegImp* at = head_;
    if (ordered && z > tail_->z0()) {
      at = tail_;
    } else {
      while (at->next() && z > at->next()->z0()) at = at->next();
    }
    IVelDriveSegImp* after = at->next();
    seg->setPrev(at);
    seg->setNext(after);
    if (after) after->setPrev(seg);
    at->setNext(seg);
    if (!after) tail_ = seg;
  }
  // Inserting by the walk keeps an ordered chain ordered.
  if (ordered) orderedAt_ = VelDriveSegImp::linkedMoveCount();
  owners()[seg] = this;
  changed();
  onInsert(seg);
  return 0;
}

int VelDriveImp::remove(IVelDriveSegImp* seg) {
  if (!seg || !isMember(seg)) {
    reportError("segment is no member of drive.");
    return 2;
  }
  IVelDriveSegImp* before = seg->prev();
  IVelDriveSegImp* after = seg->next();
  if (before) before->setNext(after);
  if (after) after->setPrev(before);
  if (seg == head_) head_ = after;
  if (seg == tail_) tail_ = before;
  // The removed segment keeps no links into the chain: they would dangle once the drive
  // lets go of its other segments, and would stop it from being inserted again.
  seg->setNext(nullptr);
  seg->setPrev(nullptr);
  owners().erase(seg);
  changed();
  onRemove(seg);
  return 0;
}

void VelDriveImp::onInsert(IVelDriveSegImp*) {}

void VelDriveImp::onRemove(IVelDriveSegImp* seg) { delete seg; }

int VelDriveImp::clear() {
  // The head is a member by construction; should removal ever refuse it, stop rather than
  // ask again forever.
  while (head_)
    if (remove(head_) != 0) break;
  return 0;
}

int VelDriveImp::periodic() { return periodic_; }

int VelDriveImp::setPeriodic(int p) {
  if (p != periodic_) {
    periodic_ = p;
    decompile();
  }
  return 0;
}

// ---- compile

void VelDriveImp::shareBoundaryValues(IVelDriveSegImp* a, IVelDriveSegImp* b) {
  if (!a || !b || a == b) return;
  // Slopes first, then curvatures; forward (a → b) before backward, each step seeing the
  // results of the ones before.
  static constexpr HandOver kSteps[] = {
      {vtFd1, vtFd0, true},
      {vtFd1, vtFd0, false},
      {vtFdd1, vtFdd0, true},
      {vtFdd1, vtFdd0, false},
  };
  for (const HandOver& step : kSteps) handOver(a, b, step);
}

int VelDriveImp::compile(int) {
  // Passes run while they make progress. The counts start above any chain's length, so the
  // first pass always runs, however long the chain is.
  int remaining = INT_MAX - 1;
  int previous = INT_MAX;
  // Compiling changes no links, so the end segment is found once.
  IVelDriveSegImp* end = tail();
  while (remaining != 0 && remaining < previous) {
    // Hand-over along the chain; the pair (second-to-last, end segment) is left out.
    for (IVelDriveSegImp* s = head_; s && s->next() != end; s = s->next())
      shareBoundaryValues(s, s->next());
    // The last motion segment hands over to the first across the period joint.
    if (head_ && periodic_) shareBoundaryValues(end->prev(), head_);
    previous = remaining;
    remaining = 0;
    for (IVelDriveSegImp* s = head_; s; s = s->next()) {
      if (s->isCompiled()) continue;
      ++remaining;
      s->compile(vsDerived);
    }
  }
  changed();
  return remaining;
}

int VelDriveImp::decompile() {
  for (IVelDriveSegImp* s = head_; s; s = s->next()) s->decompile();
  changed();
  return 0;
}

bool VelDriveImp::isCompiled() {
  for (IVelDriveSegImp* s = head_; s; s = s->next())
    if (!s->isCompiled()) return false;
  return true;
}

// ---- evaluation

const VelDriveImp::ChainCache& VelDriveImp::chain() {
  if (cache_.generation == generation_ && cache_.segmentChanges == VelDriveSegImp::changeCount())
    return cache_;
  cache_.z0.clear();
  cache_.seg.clear();
  cache_.sorted = true;
  cache_.compiled = true;
  for (IVelDriveSegImp* s = head_; s; s = s->next()) {
    const double z = s->z0();
    if (!cache_.z0.empty() && !(cache_.z0.back() <= z)) cache_.sorted = false;
    cache_.z0.push_back(z);
    cache_.seg.push_back(s);
    cache_.compiled = cache_.compiled && s->isCompiled();
  }
  cache_.generation = generation_;
  cache_.segmentChanges = VelDriveSegImp::changeCount();
  return cache_;
}

IVelDriveSegImp* VelDriveImp::walkTo(double z) {
  for (IVelDriveSegImp* s = head_; s; s = s->next())
    if (s->z0() <= z && z <= s->z1()) return s;
  return nullptr;
}

IVelDriveSegImp* VelDriveImp::segmentAt(double z) {
  const ChainCache& c = chain();
  if (!c.sorted) return walkTo(z);
  // With z0 non-decreasing, segment k spans [z0[k], z0[k+1]] (the end segment [z0, z0]).
  // The first one that contains z is the one before the first boundary at or above z, or
  // the head when z is the head's z0; none when z lies outside the first and last boundary.
  const std::size_t n = c.z0.size();
  const std::size_t m =
      static_cast<std::size_t>(std::lower_bound(c.z0.begin(), c.z0.end(), z) - c.z0.begin());
  if (m == n || (m == 0 && !(c.z0[0] == z))) return nullptr;
  return c.seg[m == 0 ? 0 : m - 1];
}

FArr& VelDriveImp::farr(double z, FArr& out) {
  const std::uint64_t zBits = std::bit_cast<std::uint64_t>(z);
  // The same z again and nothing changed, neither through the drive (links, compile state)
  // nor in any segment (start values, laws): the values are still the answer.
  if (last_.zBits == zBits && last_.generation == generation_ &&
      last_.segmentChanges == VelDriveSegImp::changeCount()) {
    out = last_.values;
    return out;
  }
  out = {0.0, 0.0, 0.0, 0.0};
  if (!chain().compiled || !head_) return out;
  const double zs = z0();
  const double ze = z1();
  if (z < zs && zs - z < kSnapTolerance) z = zs;
  if (z > ze && z - ze < kSnapTolerance) z = ze;
  IVelDriveSegImp* s = segmentAt(z);
  if (!s) return out;
  s->farr(z, out);
  last_ = {generation_, VelDriveSegImp::changeCount(), zBits, out};
  return out;
}

// ---- the drive as a segment

double VelDriveImp::z0() { return head_ ? head_->z0() : 0.0; }
double VelDriveImp::f0() { return head_ ? head_->f0() : 0.0; }

double VelDriveImp::z1() {
  IVelDriveSegImp* t = tail();
  return t ? t->z1() : 0.0;
}

double VelDriveImp::f1() {
  IVelDriveSegImp* t = tail();
  return t ? t->f1() : 0.0;
}

double VelDriveImp::extreme(double (IVelDriveSegImp::*of)(), bool wantMax) {
  double result = wantMax ? -kDoubleMax : kDoubleMax;
  for (IVelDriveSegImp* s = head_; s; s = s->next()) {
    const double v = (s->*of)();
    result = wantMax ? std::max(result, v) : std::min(result, v);
  }
  return result;
}

double VelDriveImp::fmin() { return extreme(&IVelDriveSegImp::fmin, false); }
double VelDriveImp::fdmin() { return extreme(&IVelDriveSegImp::fdmin, false); }
double VelDriveImp::fddmin() { return extreme(&IVelDriveSegImp::fddmin, false); }
double VelDriveImp::fdddmin() { return extreme(&IVelDriveSegImp::fdddmin, false); }
double VelDriveImp::fmax() { return extreme(&IVelDriveSegImp::fmax, true); }
double VelDriveImp::fdmax() { return extreme(&IVelDriveSegImp::fdmax, true); }
double VelDriveImp::fddmax() { return extreme(&IVelDriveSegImp::fddmax, true); }
double VelDriveImp::fdddmax() { return extreme(&IVelDriveSegImp::fdddmax, true); }

double VelDriveImp::value(ValueType code) {
  switch (code) {
    case vtZ0: return z0();
    case vtZ1: return z1();
    case vtF0: return f0();
    case vtF1: return f1();
    case vtFd0:
    case vtFdd0: return head_ ? head_->value(code) : 0.0;
    case vtFd1:
    case vtFdd1: {
      IVelDriveSegImp* t = tail();
      return t ? t->value(code) : 0.0;
    }
    default: return 0.0;
  }
}

bool VelDriveImp::hasValue(ValueType code) {
  return isInSet(kBoundaryValues | kBoundaryDerivatives, code);
}

bool VelDriveImp::isKnownValue(ValueType code) {
  return code == vtFd0 || code == vtFd1 || code == vtFdd0 || code == vtFdd1;
}

bool VelDriveImp::isVarValue(ValueType, int) { return false; }
int VelDriveImp::setValue(ValueType, int, double) { return 0; }
IVelDriveSegImp* VelDriveImp::next() { return nullptr; }
void VelDriveImp::setNext(IVelDriveSegImp*) {}
IVelDriveSegImp* VelDriveImp::prev() { return nullptr; }
void VelDriveImp::setPrev(IVelDriveSegImp*) {}
const char* VelDriveImp::typeName() { return "Drive"; }

// ---- segment format string

int VelDriveImp::addSegment(const char* text, SegmentCreator create) {
  const SegmentFormat format = parseSegmentFormat(text);
  if (!format.complete) return 0;
  IVelDriveSegImp* seg = (create ? create : registrySegment)(format.type);
  if (!seg) return 0;
  seg->setValue(vtZ0, vsExplicit, format.z0);
  seg->setValue(vtF0, vsExplicit, format.f0);
  if (insert(seg) != 0) {
    delete seg;  // a new segment that nobody holds yet
    return 0;
  }
  int refused = 0;
  for (const SegmentFormat::Pair& pair : format.pairs) {
    const ValueType code = valueTypeFromName(pair.name);
    if (code == vtNone || !seg->isVarValue(code, vsExplicit)) {
      ++refused;
      continue;
    }
    seg->setValue(code, vsExplicit, pair.value);
  }
  changed();  // a pair may have moved the new segment's z0 or f0
  return refused;
}
