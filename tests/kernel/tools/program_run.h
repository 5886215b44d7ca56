#pragma once
// Runs one of the built programs (they sit beside the test program) with arguments and
// standard input, and collects its exit status, standard output and standard error.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out, err;
};

// The folder of the running test program.
inline std::string programFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  const std::string s(path);
  return s.substr(0, s.rfind('/'));
}

inline std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// program is a file name in the test program's folder; workDir holds the scratch files.
// stdoutTo, when given, is where standard output goes instead ("-": it is closed).
inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& input, const std::string& workDir,
                                const std::string& stdoutTo = "") {
  const std::string in = workDir + "/stdin", err = workDir + "/stderr";
  const std::string out = stdoutTo.empty() ? workDir + "/stdout" : stdoutTo;
  std::ofstream(in, std::ios::binary) << input;
  const std::string path = programFolder() + "/" + program;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fds[3] = {open(in.c_str(), O_RDONLY),
                        open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                        open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
    for (int i = 0; i < 3; ++i) dup2(fds[i], i);
    if (out == "-") close(1);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  ProgramResult r;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    r.status = WEXITSTATUS(status);
  if (stdoutTo.empty()) r.out = readWhole(out);
  r.err = readWhole(err);
  return r;
}
