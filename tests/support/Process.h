#pragma once
// Runs a program we built, or a tool we did not write, with extra environment variables, and
// collects its exit status and output.

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// With `interruptAfter`, `signalNumber` (SIGINT unless said) is sent once that time has passed.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                         std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt,
                         int signalNumber = SIGINT);

// A process id that was in use a moment ago and is free now.
pid_t DeadProcessId();

// For a forked child: standard output and error onto `outFd` and `errFd` (-1: /dev/null),
// standard input from /dev/null, `env` added, then `argv` run; exits 127 when it cannot run.
[[noreturn]] void ExecInChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                              int outFd, int errFd);
