#pragma once
// Starts a real motionsim for a test or a benchmark: its own temporary directory, its own
// socket (KINETRA_SIM_SOCKET set for the child only), output captured to a file. Every wait
// has a time limit; the destructor stops the process and removes the directory.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class MotionsimProcess {
 public:
  static constexpr int kStartTimeoutMs = 10000;
  static constexpr int kExitTimeoutMs = 10000;

  MotionsimProcess() {
    char pattern[] = "/tmp/msim-XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir_ = pattern;
    socketPath_ = dir_ + "/sim.sock";
  }
  ~MotionsimProcess() {
    stop();
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  MotionsimProcess(const MotionsimProcess&) = delete;
  MotionsimProcess& operator=(const MotionsimProcess&) = delete;

  const std::string& dir() const { return dir_; }
  // Serve at another path than the directory's own socket.
  void useSocket(const std::string& path) { socketPath_ = path; }
  const std::string& socketPath() const { return socketPath_; }
  pid_t pid() const { return pid_; }

  static std::string program() { return MOTIONSIM_PATH; }
  static std::string example() {
    return std::string(KINETRA_SOURCE_DIR) + "/examples/cam_mechanism.msim";
  }

  // Writes a file into the directory and returns its path.
  std::string writeFile(const std::string& name, const std::string& content) const {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // Starts motionsim with args and waits until its socket is there. False when it exits
  // first or the socket does not appear in time.
  // A socket file already there (stale) counts only once it has been replaced.
  bool start(const std::vector<std::string>& args, int timeoutMs = kStartTimeoutMs) {
    struct stat before {};
    const bool hadFile = lstat(socketPath_.c_str(), &before) == 0;
    if (!spawn(args)) return false;
    auto ready = [&] {
      struct stat now {};
      if (lstat(socketPath_.c_str(), &now) != 0) return false;
      return !hadFile || now.st_ino != before.st_ino || now.st_dev != before.st_dev;
    };
    return waitFor([&] { return ready() || !running(); }, timeoutMs) && running() && ready();
  }

  // Starts motionsim with args and waits for it to end. Returns its exit code, -1 when it
  // did not end in time (it is killed then) or ended by a signal.
  int runToExit(const std::vector<std::string>& args, int timeoutMs = kExitTimeoutMs) {
    if (!spawn(args)) return -1;
    return waitExit(timeoutMs);
  }

  // Starts motionsim with args and returns at once.
  bool launch(const std::vector<std::string>& args) { return spawn(args); }

  bool running() {
    reap(false);
    return pid_ > 0;
  }
  void signal(int sig) const {
    if (pid_ > 0) ::kill(pid_, sig);
  }
  // Waits for the process to end: its exit code, or -1 (killed when still running).
  int waitExit(int timeoutMs = kExitTimeoutMs) {
    if (!waitFor([&] { return !running(); }, timeoutMs)) {
      signal(SIGKILL);
      reap(true);
      return -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  // SIGTERM, then SIGKILL if it does not end in time.
  void stop() {
    if (pid_ <= 0) return;
    signal(SIGTERM);
    waitExit();
  }

  bool socketExists() const {
    struct stat st {};
    return lstat(socketPath_.c_str(), &st) == 0;
  }

  std::string output() const {
    std::ifstream in(dir_ + "/output.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  template <class Condition>
  static bool waitFor(Condition condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

 private:
  bool spawn(const std::vector<std::string>& args) {
    stop();
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::strncmp(*e, "KINETRA_SIM_SOCKET=", 19) != 0) env.emplace_back(*e);
    }
    env.push_back("KINETRA_SIM_SOCKET=" + socketPath_);
    std::vector<std::string> argv{program()};
    argv.insert(argv.end(), args.begin(), args.end());
    auto pointers = [](std::vector<std::string>& v) {
      std::vector<char*> p;
      for (auto& s : v) p.push_back(s.data());
      p.push_back(nullptr);
      return p;
    };
    std::vector<char*> argvp = pointers(argv);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = dir_ + "/output.txt";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawn(&pid_, argvp[0], &actions, nullptr, argvp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) pid_ = -1;
    return rc == 0;
  }

  void reap(bool block) {
    if (pid_ <= 0) return;
    int status = 0;
    if (waitpid(pid_, &status, block ? 0 : WNOHANG) == pid_) {
      status_ = status;
      pid_ = -1;
    }
  }

  std::string dir_;
  std::string socketPath_;
  pid_t pid_ = -1;
  int status_ = 0;
};
