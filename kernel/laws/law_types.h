#pragma once
// Types shared by the laws and everything that evaluates them.

#include <array>

// f, f', f'', f''' at one z, in this order; indexable out[0]..out[3].
using FArr = std::array<double, 4>;

// Bit-flag codes of the named values. 0 stands for a name that is not in the table.
enum ValueType : int {
  vtNone = 0,
  vtZ0 = 0x1,
  vtZ1 = 0x2,
  vtF0 = 0x4,
  vtF1 = 0x8,
  vtFd0 = 0x10,
  vtFd1 = 0x20,
  vtFdd0 = 0x40,
  vtFdd1 = 0x80,
  vtLambda = 0x100,
  vtC = 0x200,
  vtCa = 0x400,
  vtCaStar = 0x800,
  vtCv = 0x1000,
  vtCj = 0x2000,
  vtCjStar = 0x4000,
  vtCmdyn = 0x8000,
  vtCmdynStar = 0x10000,
  vtCaEqCaStar = 0x20000,  // command: make Ca equal Ca*; the value written is ignored
};

// Sets of named values, as masks of their codes.
constexpr int kBoundaryValues = vtZ0 | vtZ1 | vtF0 | vtF1;             // every segment and drive
constexpr int kBoundaryDerivatives = vtFd0 | vtFd1 | vtFdd0 | vtFdd1;  // every segment type
constexpr int kAccelerationValues = vtCa | vtCaStar | vtCv;
constexpr int kCharacteristicValues = kAccelerationValues | vtCj | vtCjStar | vtCmdyn | vtCmdynStar;

// True when code is one of the values of the set (never for vtNone).
constexpr bool isInSet(int set, ValueType code) { return (set & code) != 0; }

// Who set a stored value. Ranked: a value may be replaced from an equal or higher source.
enum ValueSource : int {
  vsNone = 0,      // not set
  vsDefault = 1,   // a type's initial default that counts as set
  vsDerived = 2,   // set by the kernel while compiling a drive
  vsExplicit = 3,  // set by the client
};

// Result codes of the law setters.
enum LawResult : int {
  kLawOk = 0,
  kLawClamped = 1010,           // lambda or c clamped into its range
  kLawCaEqCaStarFailed = 1012,  // Ca = Ca* cannot be solved
  kLawBeyondLimit = 1016,       // value beyond the harmonic combination's limit
  kLawLambdaRefused = 1018,     // lambda outside (0, 1) refused
};
