#include "platform/shell/ShellOpen.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "platform/shell/FileDescriptor.h"

namespace {

ShellOpenHandler& Handler() {
  static ShellOpenHandler handler = [](const std::string& file) { return OpenWithDesktopHandler(file); };
  return handler;
}

// The executable's path on PATH, resolved before forking so the child only has to exec.
std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    struct stat info;
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

// In the forked helper: runs the handler and reports its exit status through `report`.
[[noreturn]] void RunAndReport(const char* program, const char* file, int report) {
  ::setsid();
  const pid_t handler = ::fork();
  if (handler == 0) {
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      ::dup2(devNull, STDIN_FILENO);
      ::dup2(devNull, STDOUT_FILENO);
    }
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>(file), nullptr};
    ::execv(program, argv);
    ::_exit(127);
  }
  int status = 0;
  if (handler > 0) {
    while (::waitpid(handler, &status, 0) < 0 && errno == EINTR) {
    }
  }
  const unsigned char code = handler > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 127;
  (void)::write(report, &code, 1);
  ::_exit(0);
}

intptr_t ResultFor(unsigned char exitCode) {
  switch (exitCode) {
    case 0:
      return kShellOpenSucceeded;
    case 2:
      return SE_ERR_FNF;
    default:
      return SE_ERR_NOASSOC;
  }
}

}  // namespace

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) { return std::exchange(Handler(), std::move(handler)); }

intptr_t ShellOpen(const std::string& file) { return Handler()(file); }

intptr_t OpenWithDesktopHandler(const std::string& file, int waitMs) {
  const std::string program = FindOnPath("xdg-open");
  if (program.empty()) return SE_ERR_NOASSOC;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return SE_ERR_NOASSOC;
  FileDescriptor reading(ends[0]);
  FileDescriptor writing(ends[1]);
  // The helper forks the handler and exits once it has reported, so it is reaped here at once
  // and the handler, orphaned, is reaped by the system however long it runs.
  const pid_t helper = ::fork();
  if (helper == 0) RunAndReport(program.c_str(), file.c_str(), writing.Get());
  if (helper < 0) return SE_ERR_NOASSOC;
  writing.Close();
  pollfd ready{reading.Get(), POLLIN, 0};
  int polled;
  while ((polled = ::poll(&ready, 1, waitMs)) < 0 && errno == EINTR) {
  }
  unsigned char code = 127;
  const bool reported = polled > 0 && ::read(reading.Get(), &code, 1) == 1;
  if (polled == 0) ::kill(helper, SIGKILL);
  while (::waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (polled == 0) return kShellOpenSucceeded;
  return reported ? ResultFor(code) : SE_ERR_NOASSOC;
}
