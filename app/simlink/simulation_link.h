#pragma once
// SimulationLink: the desktop program's hold on the running motion simulation (motionsim).
//
// AttachSimulation finds the running instance (it never starts one) and keeps three
// references for the rest of the run: the application, its active document and the
// document's input collection. Every member of the object model the program uses is a
// method here with the argument types the members take. Members marked "by name" in
// sim_members.h are bound by name at call time, the others by their identifier.
//
// Errors: every member throws SimulationError with the automation error number. Number 462
// means the connection to the simulation is gone; after it every later call fails with 462
// too, without touching the socket, until the program is restarted (there is no
// re-attach). runSimulationOperation tells the server-error case from the others.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "app/simlink/sim_connection.h"
#include "app/simlink/sim_members.h"
#include "simulator/protocol.h"

using SimRef = motionsim::ObjectRef;

class SimulationError : public std::runtime_error {
 public:
  SimulationError(int number, const QString& description);
  int number() const { return number_; }
  QString description() const { return description_; }
  // The connection to the simulation is gone (error 462).
  bool isConnectionLost() const { return number_ == motionsim::kErrConnectionLost; }

 private:
  int number_;
  QString description_;
};

class SimulationLink {
 public:
  // Waiting longer than this for an answer counts as a lost connection.
  static constexpr int kDefaultTimeoutMs = 30000;
  // Queued puts are answered in bulk at the latest after this many.
  static constexpr int kMaxQueued = 64;

  explicit SimulationLink(int timeoutMs = kDefaultTimeoutMs);

  // Attaches to the running motionsim at socketPath (empty: the default path, see
  // motionsim::defaultSocketPath) and reads ActiveDocument and Inputs, narrowing each.
  // True when the three references are held. False when no instance runs there, it serves
  // another client, or it has no open document; attachError() then says why (number 429),
  // and a later call may try again. Once attached, further calls change nothing.
  bool AttachSimulation(const QString& socketPath = QString());
  bool isAttached() const { return attached_; }
  const SimulationError& attachError() const { return attachError_; }
  // The version text from the server's greeting.
  QString serverVersion() const { return serverVersion_; }

  // The references held since attach; the current body is the last one fetched by Bodies.
  SimRef application() const { return application_; }
  SimRef document() const { return document_; }
  SimRef inputs() const { return inputs_; }
  SimRef currentBody() const { return currentBody_; }
  // The interface identifier a reference of this kind is narrowed to.
  static QString interfaceId(motionsim::ObjectKind kind);

  // ---- application
  SimRef ActiveDocument();
  QString VersionText();
  void ApplicationMember9();   // no result; first when a transfer starts
  void ApplicationMember14();  // no result; second when a transfer starts

  // ---- document
  QString DocumentName();
  SimRef Inputs();
  SimRef Bodies();  // the body collection
  // The body at a 1-based position, passed by reference as a 2-byte or 4-byte whole
  // number; it becomes the current body.
  SimRef Bodies(qint16 position);
  SimRef Bodies(qint32 position);
  qint32 NumFrames();
  double CurrentTime();
  qint32 CurrentFrame();
  void setCurrentFrame(qint16 frame);
  void RunToFrame(qint32 frame);
  void EndRun();
  void DocumentMember27();  // no result; once before a transfer, after JumpToFrame(0)
  void JumpToFrame(qint32 frame);

  // ---- collections ("Count" for inputs or bodies, "Item" of the input collection)
  qint32 Count(SimRef collection);
  SimRef Item(SimRef inputCollection, qint16 position);
  SimRef Item(SimRef inputCollection, const QString& name);

  // ---- an input ("Name", "ID" by name) or a body (Name, ID by identifier)
  QString Name(SimRef inputOrBody);
  qint32 ID(SimRef inputOrBody);
  void setInputValue(SimRef input, double value);  // "InputValue" put
  // The same put without waiting for its answer, for frame loops that skip errors anyway:
  // the request is sent at once and its response read with the next call's. An error of
  // the put itself is dropped (counted in droppedErrors()); a lost connection still throws
  // 462 here or at the next call. The simulation takes the puts in order, before any later
  // call.
  void queueInputValue(SimRef input, double value);
  long droppedErrors() const { return droppedErrors_; }
  // Position (metres) and rotation angles (radians, R = Rx·Ry·Rz) at the current frame.
  void GetPosition(SimRef body, double& x, double& y, double& z, double& rx, double& ry,
                   double& rz);

  // ---- operations of the link
  // JumpToFrame(0), JumpToFrame(1), then true when CurrentTime equals timeStep exactly.
  // Leaves the simulation at frame 1.
  bool FrameRateProbe(double timeStep);
  // The cam menu item is enabled when the document holds at least one frame.
  bool CamMenuEnabled();

  // One frame of a recording: RunToFrame(frame), GetPosition of each body, CurrentTime. The
  // calls go out together and their answers are read together, so the loop waits once per
  // frame; a failed call's error is thrown after every answer is read (the calls after it
  // only read).
  struct RecordedFrame {
    std::vector<std::array<double, 6>> poses;  // x, y, z, rx, ry, rz of each body
    double time = 0.0;
  };
  RecordedFrame RunToFrameAndRead(qint32 frame, const std::vector<SimRef>& bodies);

  // One call of any member: by-reference arguments receive what the server wrote back.
  motionsim::Value invoke(SimRef object, const SimMember& member, std::uint8_t invokeKind,
                          std::vector<motionsim::Argument>& args);
  motionsim::Value invoke(SimRef object, const SimMember& member, std::uint8_t invokeKind);

  // A call for invokeTogether: its arguments receive what the server wrote back, result the
  // member's result.
  struct Call {
    SimRef object;
    SimMember member;
    std::uint8_t invokeKind;
    std::vector<motionsim::Argument> args;
    motionsim::Value result;
  };
  // Sends every call, then reads every answer in order; throws the first failed call's
  // error once all are read.
  void invokeTogether(std::vector<Call>& calls);

  bool isConnectionLost() const { return lost_; }

  // Sees every member call just before it is sent (queued puts included): for tracing, and
  // for tests that check which members an operation calls in which order.
  using CallObserver = std::function<void(const SimMember& member, std::uint8_t invokeKind)>;
  void setCallObserver(CallObserver observer) { observer_ = std::move(observer); }

 private:
  SimRef narrow(const motionsim::Value& value, motionsim::ObjectKind kind) const;
  SimRef bodyAt(motionsim::Value position);
  void goToFrame(const SimMember& member, qint32 frame);
  [[noreturn]] void throwLost() const;
  void checkUsable() const;
  motionsim::Request makeRequest(SimRef object, const SimMember& member, std::uint8_t invokeKind,
                                 const std::vector<motionsim::Argument>& args) const;
  void readQueuedResponses();

  int timeoutMs_;
  SimConnection connection_;
  bool attached_ = false;
  bool lost_ = false;
  int queued_ = 0;  // queued puts whose responses are still to be read
  long droppedErrors_ = 0;
  SimulationError attachError_;
  QString serverVersion_;
  SimRef application_;
  SimRef document_;
  SimRef inputs_;
  SimRef currentBody_;
  CallObserver observer_;
};

// How an operation that uses the simulation ended.
enum class SimOutcome {
  Done,
  ServerError,  // error 462: run the server-error routine
  OtherError,   // any other automation error: end the operation without a message
};

// Runs op, which calls into the simulation and leaves at its first error, and classifies
// how it ended. errorNumber, when given, receives the error number (0 when done).
template <class Operation>
SimOutcome runSimulationOperation(Operation&& op, int* errorNumber = nullptr) {
  try {
    op();
  } catch (const SimulationError& e) {
    if (errorNumber != nullptr) *errorNumber = e.number();
    return e.isConnectionLost() ? SimOutcome::ServerError : SimOutcome::OtherError;
  }
  if (errorNumber != nullptr) *errorNumber = 0;
  return SimOutcome::Done;
}
