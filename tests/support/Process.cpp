#include "support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         std::optional<std::chrono::milliseconds> interruptAfter, int signalNumber) {
  char outPath[] = "/tmp/corvox-interop-out-XXXXXX";
  char errPath[] = "/tmp/corvox-interop-err-XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  ProcessResult result;
  const pid_t pid = fork();
  if (pid == 0) ExecInChild(argv, env, outFd, errFd);
  if (pid > 0) {
    if (interruptAfter) {
      std::this_thread::sleep_for(*interruptAfter);
      kill(pid, signalNumber);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  }
  close(outFd);
  close(errFd);
  result.out = Slurp(outPath);
  result.err = Slurp(errPath);
  unlink(outPath);
  unlink(errPath);
  return result;
}

pid_t DeadProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

void ExecInChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env, int outFd,
                 int errFd) {
  const int devNull = open("/dev/null", O_RDWR);
  dup2(devNull, STDIN_FILENO);
  dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
  dup2(errFd >= 0 ? errFd : devNull, STDERR_FILENO);
  for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}
