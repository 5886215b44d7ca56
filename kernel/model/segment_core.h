#pragma once
// The segment core: boundary values, links to the neighbours, the owned law, and the
// scaling of the normalised law onto the segment's interval [z0, z1] and stroke f0..f1.

#include <cstdint>
#include <memory>

#include "kernel/laws/base_drive.h"

class VelDriveSeg;

// Operations shared by segments and drives.
class IVelDriveSegImp {
 public:
  virtual FArr& farr(double z, FArr& out) = 0;
  virtual double z0() = 0;
  virtual double z1() = 0;
  virtual double f0() = 0;
  virtual double f1() = 0;
  virtual double fmin() = 0;
  virtual double fdmin() = 0;
  virtual double fddmin() = 0;
  virtual double fdddmin() = 0;
  virtual double fmax() = 0;
  virtual double fdmax() = 0;
  virtual double fddmax() = 0;
  virtual double fdddmax() = 0;
  virtual double value(ValueType code) = 0;
  virtual bool hasValue(ValueType code) = 0;
  // True when value(code) is determined by the segment itself and may be handed on.
  virtual bool isKnownValue(ValueType code) = 0;
  // True when setValue(code, source, v) may be called.
  virtual bool isVarValue(ValueType code, int source) = 0;
  virtual int setValue(ValueType code, int source, double v) = 0;
  virtual IVelDriveSegImp* next() = 0;
  virtual void setNext(IVelDriveSegImp* p) = 0;
  virtual IVelDriveSegImp* prev() = 0;
  virtual void setPrev(IVelDriveSegImp* p) = 0;
  virtual bool isCompiled() = 0;
  // 0 when a law is held afterwards, 1 when it cannot be built yet.
  virtual int compile(int source) = 0;
  virtual int decompile() = 0;
  // The segment's type name ("Linear", "Sine", ...), used in traces and dumps.
  virtual const char* typeName() = 0;
  // The automation object this core belongs to; null for a core that is none (a drive, a
  // core built by kernel code). Walking a chain asks it at every step, so it is one call.
  virtual VelDriveSeg* automationObject() { return nullptr; }
  virtual ~IVelDriveSegImp() = default;
};

class VelDriveSegImp : public IVelDriveSegImp {
 public:
  VelDriveSegImp() = default;
  VelDriveSegImp(double z0, double f0) : z0_(z0), f0_(f0) {}
  VelDriveSegImp(const VelDriveSegImp&) = delete;
  VelDriveSegImp& operator=(const VelDriveSegImp&) = delete;
  ~VelDriveSegImp() override;

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
  int compile(int source) override;
  int decompile() override;
  // A bare core has no type; each segment type names itself.
  const char* typeName() override;

  // Passes a value in drive units to the law in its normalised units.
  void setLawValue(ValueType code, double v);

  kBaseDrive* law() const { return law_.get(); }

  // The named values a segment type reports besides the boundary values z0, z1, f0 and f1,
  // as a mask of codes; hasValue answers from it.
  virtual int typeValues() { return 0; }

  // Counts, library-wide, every change of a segment's start values or law. Views over
  // segments (a drive's lookup and last-point caches) compare it to tell cheaply whether
  // what they read is still current.
  static std::uint64_t changeCount() { return changes_; }
  // Counts, library-wide, the z0 changes of segments linked into a chain: only those can
  // bring a chain out of z0 order, so a drive that saw its chain in order may trust that
  // order while this count stands.
  static std::uint64_t linkedMoveCount() { return linkedMoves_; }

 protected:
  // Takes ownership of a newly built law, replacing (and deleting) any previous one.
  void setLaw(kBaseDrive* law) {
    law_.reset(law);
    ++changes_;
  }

 private:
  struct Scale {
    double z;  // (z1 − z0) / (law z1 − law z0)
    double f;  // (f1 − f0) / (law f1 − law f0), negative for a falling segment
  };
  Scale scale();
  struct Range {
    double lo, hi;
  };
  // The segment's f range: the law's f range mapped onto f0..f1, or f0..f1 without a law.
  Range fRange();
  // Extreme of derivative k (1..3): the law's extreme scaled by fscale / zscale^k, taking
  // the law's opposite extreme when the factor is not positive.
  double derivativeExtreme(int k, bool wantMax);

  double z0_ = 0.0;
  double f0_ = 0.0;
  int z0Source_ = vsExplicit;
  int f0Source_ = vsExplicit;
  IVelDriveSegImp* next_ = nullptr;
  IVelDriveSegImp* prev_ = nullptr;
  std::unique_ptr<kBaseDrive> law_;
  static inline std::uint64_t changes_ = 0;
  static inline std::uint64_t linkedMoves_ = 0;
};
