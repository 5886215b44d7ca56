#pragma once
// Records every text that reportError shows while an ErrorCapture lives.

#include <string>
#include <vector>

#include "kernel/support/auxcom_messages.h"

class ErrorCapture {
 public:
  ErrorCapture() : previous_(setErrorHook(record)) { messages().clear(); }
  ~ErrorCapture() { setErrorHook(previous_); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  static std::vector<std::string>& messages() {
    static std::vector<std::string> all;
    return all;
  }

 private:
  static int record(const char* text) {
    messages().emplace_back(text);
    return 0;
  }
  ErrorHook previous_;
};
