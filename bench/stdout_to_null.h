#pragma once
// While a StdoutToNull lives, standard output goes to /dev/null: trace lines that a kernel
// operation writes there cost their real price without flooding the benchmark's report.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class StdoutToNull {
 public:
  StdoutToNull() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~StdoutToNull() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }
  StdoutToNull(const StdoutToNull&) = delete;
  StdoutToNull& operator=(const StdoutToNull&) = delete;

 private:
  int saved_;
};
