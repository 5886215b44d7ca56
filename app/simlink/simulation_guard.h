#pragma once
// The one way into the simulation: every operation that calls SimulationLink runs through
// SimulationGuard::run. The operation leaves at its first SimulationError; a lost connection
// (error 462) then runs the server-error routine the program installed (message 164 and a
// backup of the project), any other error ends the operation without a message.
//
//   SimulationGuard guard(link, [&project] { serverErrorRoutine(project); });
//   guard.run([&](SimulationLink& sim) { names << sim.Name(sim.Item(sim.inputs(), 1)); });
//
// A run inside another run belongs to the outer operation: its errors end the outer one,
// so a lost connection shows its message once. Frame loops that carry on past an error of
// one statement wrap that statement in skipSimulationError.

#include <functional>
#include <utility>

#include "app/simlink/simulation_link.h"

class SimulationGuard {
 public:
  using ServerErrorRoutine = std::function<void()>;

  SimulationGuard(SimulationLink& link, ServerErrorRoutine serverError)
      : link_(link), serverError_(std::move(serverError)) {}
  SimulationGuard(const SimulationGuard&) = delete;
  SimulationGuard& operator=(const SimulationGuard&) = delete;

  // Runs op(link) and tells how it ended.
  template <class Operation>
  SimOutcome run(Operation&& op) {
    if (depth_ > 0) {
      op(link_);
      return SimOutcome::Done;
    }
    const SimOutcome outcome = runSimulationOperation(
        [&] {
          const Nesting nesting(depth_);
          op(link_);
        },
        &lastError_);
    if (outcome == SimOutcome::ServerError && serverError_) serverError_();
    return outcome;
  }

  // The error number that ended the last run (0 when it was done).
  int lastError() const { return lastError_; }

 private:
  struct Nesting {
    explicit Nesting(int& depth) : depth_(depth) { ++depth_; }
    ~Nesting() { --depth_; }
    int& depth_;
  };

  SimulationLink& link_;
  ServerErrorRoutine serverError_;
  int depth_ = 0;
  int lastError_ = 0;
};

// One statement of a frame loop: an error of it is skipped (false) and the loop carries on,
// except a lost connection, which ends the whole guarded operation.
template <class Statement>
bool skipSimulationError(Statement&& statement) {
  try {
    statement();
    return true;
  } catch (const SimulationError& e) {
    if (e.isConnectionLost()) throw;
    return false;
  }
}
