#pragma once
// The drive core: a named, ordered chain of segments over z with a periodic flag. It links
// segments by their z0, compiles the chain (neighbours hand each other f' and f'' at their
// joints until every segment holds its law or no further one gets solved) and evaluates
// it. A drive is itself a segment: its boundary values, extremes and evaluation are those
// of the whole chain.

#include <cstdint>
#include <vector>

#include "kernel/model/segment_core.h"

// The drive-core operations.
class IVelDriveImp {
 public:
  // The drive's name, or null.
  virtual const char* name() = 0;
  // Replaces the name by a copy of text (null clears it).
  virtual void setName(const char* text) = 0;
  virtual IVelDriveSegImp* head() = 0;
  // The last segment of the chain (the end segment), or null when empty.
  virtual IVelDriveSegImp* tail() = 0;
  // Links seg in by its z0: 0 done, 1 invalid segment.
  virtual int insert(IVelDriveSegImp* seg) = 0;
  // Unlinks seg: 0 done, 2 not a member.
  virtual int remove(IVelDriveSegImp* seg) = 0;
  // Called after seg was linked in / unlinked; the pair manages who keeps seg alive.
  virtual void onInsert(IVelDriveSegImp* seg) = 0;
  virtual void onRemove(IVelDriveSegImp* seg) = 0;
  // Removes the head until the chain is empty; always 0.
  virtual int clear() = 0;
  virtual int periodic() = 0;
  // Stores the flag and decompiles the drive when it changed; always 0.
  virtual int setPeriodic(int p) = 0;
  virtual ~IVelDriveImp() = default;
};

// Makes a new segment of the named type, or null for a name that is not a segment type.
using SegmentCreator = IVelDriveSegImp* (*)(const char* typeName);

class VelDriveImp : public IVelDriveImp, public IVelDriveSegImp {
 public:
  explicit VelDriveImp(const char* name = nullptr);
  VelDriveImp(const VelDriveImp&) = delete;
  VelDriveImp& operator=(const VelDriveImp&) = delete;
  ~VelDriveImp() override;

  // ---- IVelDriveImp
  const char* name() override;
  void setName(const char* text) override;
  IVelDriveSegImp* head() override;
  IVelDriveSegImp* tail() override;
  int insert(IVelDriveSegImp* seg) override;
  int remove(IVelDriveSegImp* seg) override;
  // The bare core owns its segments: onInsert keeps seg, onRemove deletes it.
  void onInsert(IVelDriveSegImp* seg) override;
  void onRemove(IVelDriveSegImp* seg) override;
  int clear() override;
  int periodic() override;
  int setPeriodic(int p) override;

  // ---- IVelDriveSegImp: the drive as one segment
  FArr& farr(double z, FArr& out) override;
  double z0() override;
  double z1() override;
  double f0() override;
  double f1() override;
  double fmin() override;
  double fdmin() override;
  double fddmin() override;
  double fdddmin() override;
  double fmax() override;
  double fdmax() override;
  double fddmax() override;
  double fdddmax() override;
  double value(ValueType code) override;
  bool hasValue(ValueType code) override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  IVelDriveSegImp* next() override;
  void setNext(IVelDriveSegImp* p) override;
  IVelDriveSegImp* prev() override;
  void setPrev(IVelDriveSegImp* p) override;
  bool isCompiled() override;
  // Returns the number of segments still not compiled (0: the drive is solved).
  int compile(int source) override;
  int decompile() override;
  // "Drive".
  const char* typeName() override;

  // Hands f' and then f'' across the joint a→b in both directions, each value going only
  // to a segment that is not compiled and takes it, and traces every value handed over.
  static void shareBoundaryValues(IVelDriveSegImp* a, IVelDriveSegImp* b);

  // Reads a segment format string ("Sine", z0, f0 [, "name", value]...), makes the segment
  // through create (null: the segment-type registry), inserts it and sets the named values.
  // Returns the number of value pairs that were refused; a text whose start cannot be read
  // or whose type is unknown adds nothing and returns 0.
  int addSegment(const char* text, SegmentCreator create = nullptr);

 private:
  // The segment boundaries in chain order, read when the chain or any segment last changed,
  // so that the segment for z is found by binary search instead of a walk from the head.
  struct ChainCache {
    std::uint64_t generation = ~std::uint64_t{0};
    std::uint64_t segmentChanges = ~std::uint64_t{0};
    std::vector<double> z0;             // z0 of every segment, chain order
    std::vector<IVelDriveSegImp*> seg;  // the segments, chain order
    bool sorted = false;                // z0 non-decreasing along the chain
    bool compiled = false;              // every segment held a law
  };
  // The last evaluated point, answered again for the same z while nothing changed.
  struct LastPoint {
    std::uint64_t generation = ~std::uint64_t{0};
    std::uint64_t segmentChanges = ~std::uint64_t{0};
    std::uint64_t zBits = 0;
    FArr values{};
  };

  // Every operation that may change the chain, its compile state or its values calls this;
  // both caches then read the chain afresh.
  void changed() { ++generation_; }
  const ChainCache& chain();
  // The first segment with z0 ≤ z ≤ z1, or null.
  IVelDriveSegImp* segmentAt(double z);
  IVelDriveSegImp* walkTo(double z);
  bool isMember(IVelDriveSegImp* seg) const;
  // True when z0 does not decrease along the chain (checked by a walk when unknown).
  bool isOrdered();
  // The smallest (wantMax false) or largest value of one extremum over all segments.
  double extreme(double (IVelDriveSegImp::*of)(), bool wantMax);

  char* name_ = nullptr;
  IVelDriveSegImp* head_ = nullptr;
  IVelDriveSegImp* tail_ = nullptr;
  // The linked-move count at which the chain was last seen in z0 order; insertion keeps
  // the order, so appending behind the tail needs no walk while the count stands.
  std::uint64_t orderedAt_ = ~std::uint64_t{0};
  std::int32_t periodic_ = 0;
  std::uint64_t generation_ = 0;
  ChainCache cache_;
  LastPoint last_;
};
