#pragma once
// Reads a mechanism document. The format, one statement per line:
//
//   motionsim-document 1                       first line: format and version
//   # a comment; blank lines are ignored
//   step SECONDS                               time step per frame, once, > 0
//   input ID NAME INITIAL                      an input and its value before any is set
//   body ID NAME [CLAUSE...]                   a body; clauses in any order, each at most once:
//       parent ground | PARENT-ID              default ground; the parent must come earlier
//       offset X Y Z                           metres, default 0 0 0
//       angles RX RY RZ                        radians, R = Rx·Ry·Rz, default 0 0 0
//       joint fixed | revolute x|y|z | prismatic x|y|z      default fixed
//       constant C   rate R   gain G   input NAME
//                                              joint coordinate C + R·t + G·value(NAME);
//                                              gain defaults to 1 when an input is named,
//                                              the input must be declared earlier
//
// IDs are whole numbers (unique among inputs, and among bodies); names are a bare word or a
// text in double quotes with \" and \\ as escapes, unique among inputs and among bodies.
// Numbers are decimal; infinities and NaN are refused, and so are numbers so large that a
// frame's time, a joint coordinate or a body's position could overflow. A document is taken
// whole or not at all: the first fault is reported with its line number and nothing is
// returned.

#include <string>
#include <string_view>

#include "simulator/mechanism.h"

namespace motionsim {

constexpr int kDocumentVersion = 1;
constexpr std::string_view kDocumentMagic = "motionsim-document";
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kMaxInputs = 32767;  // every input is reachable by a 2-byte position
constexpr std::size_t kMaxBodies = 65535;
constexpr std::size_t kMaxDocumentBytes = 16 * 1024 * 1024;

struct DocumentError {
  int line = 0;  // 1-based; 0 when the file itself could not be read
  std::string message;
};

// Parses text. On success fills mechanism and returns true; otherwise fills error, leaves
// mechanism untouched and returns false.
bool readDocument(std::string_view text, Mechanism& mechanism, DocumentError& error);

// Reads the file at path and parses it as readDocument does.
bool loadDocument(const std::string& path, Mechanism& mechanism, DocumentError& error);

}  // namespace motionsim
