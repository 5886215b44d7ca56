#pragma once
// Collects the trace lines the code under test writes, whatever monitor runs, for the life
// of the object: tests read them with text().

#include <string>

#include "platform/dbwin/dbwin_client.h"

class TraceCapture {
 public:
  TraceCapture() : previous_(setDbwinRedirect(&collect)) { lines().clear(); }
  ~TraceCapture() { setDbwinRedirect(previous_); }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;
  std::string text() const { return lines(); }

  // The lines written while fn runs.
  template <class Fn>
  static std::string during(Fn fn) {
    TraceCapture capture;
    fn();
    return capture.text();
  }

 private:
  static std::string& lines() {
    static std::string all;
    return all;
  }
  static void collect(const char* text) { lines() += text; }
  DbwinRedirect previous_;
};
