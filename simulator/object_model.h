#pragma once
// The object model motionsim serves: application, document, input collection, inputs, body
// collection and bodies, each with its members bound by identifier and by name.
//
// | object           | member          | id      | kind       | arguments                    |
// |------------------|-----------------|---------|------------|------------------------------|
// | application      | ActiveDocument  | 6       | get        | –                            |
// | application      | (unnamed)       | 9, 14   | method     | – (no effect)                |
// | application      | VersionText     | 11      | get        | –                            |
// | document         | DocumentName    | 1       | get        | –                            |
// | document         | Inputs          | 5       | get        | –                            |
// | document         | Bodies          | 6       | get        | – or a 1-based position      |
// | document         | NumFrames       | 7       | get        | –                            |
// | document         | CurrentTime     | 12      | get        | –                            |
// | document         | CurrentFrame    | 13      | get, put   | put: the frame to stand at   |
// | document         | RunToFrame      | 22      | method     | frame                        |
// | document         | EndRun          | 23      | method     | – (no effect)                |
// | document         | (unnamed)       | 27      | method     | – (no effect)                |
// | document         | JumpToFrame     | 28      | method     | frame                        |
// | input collection | Count / Item    | 1 / 0   | get        | Item: 1-based position, name |
// | input            | Name / ID       | 2 / 3   | get        | –                            |
// | input            | InputValue      | 4       | get, put   | put: a number                |
// | body collection  | Count           | 1       | get        | –                            |
// | body             | ID / Name       | 0x20001 / 0x20002 | get | –                          |
// | body             | GetPosition     | 20      | method     | six doubles by reference     |
//
// Names are matched without regard to case. Whole-number arguments may come as 2-byte or
// 4-byte integers or as doubles with a whole value; number arguments as any of the three.
// Errors: 438 unknown member (or a kind the member does not support), 9 no such item,
// 5 bad argument (count, type, range, an unknown object), 91 a call on the empty reference.

#include <string>
#include <string_view>

#include "simulator/protocol.h"
#include "simulator/simulation.h"

namespace motionsim {

class ObjectModel {
 public:
  // simulation may be null: the application then has no open document and ActiveDocument
  // is the empty reference.
  ObjectModel(std::string versionText, std::string documentName, Simulation* simulation);

  Response invoke(const Request& request);

  // Decodes one request payload, invokes it and appends the encoded response frame to out.
  // A payload that is not a well-formed request is answered with error 5.
  void handlePayload(std::string_view payload, std::string& out);

  struct Call;
  struct Member;

 private:
  bool resolveObject(const Request& request, Response& response) const;

  void activeDocument(Call& call);
  void noEffect(Call& call);
  void versionText(Call& call);
  void documentName(Call& call);
  void inputs(Call& call);
  void bodies(Call& call);
  void numFrames(Call& call);
  void currentTime(Call& call);
  void currentFrame(Call& call);
  void goToFrame(Call& call);
  void collectionCount(Call& call);
  void inputItem(Call& call);
  void inputName(Call& call);
  void inputId(Call& call);
  void inputValue(Call& call);
  void bodyId(Call& call);
  void bodyName(Call& call);
  void getPosition(Call& call);

  std::string versionText_;
  std::string documentName_;
  Simulation* simulation_;
};

}  // namespace motionsim
