#include "cli/child_process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <stdio.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "cli/cli_error.h"
#include "cli/interrupt_cleanup.h"

namespace {

// The runtime joins the arguments with blanks into one command line, which the child splits
// again by the usual rules; so each argument is quoted with its backslashes and quotes escaped.
std::string QuotedArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
    else quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

}  // namespace

std::string WindowsCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += QuotedArgument(arg);
  }
  return line;
}

#if defined(_WIN32)

ChildProcess::ChildProcess(const std::vector<std::string>& args, Pipe pipe, bool quiet) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::string line = WindowsCommandLine(args);
  if (quiet) line += " 2>NUL";
  // cmd.exe strips one pair of outer quotes from the whole line.
  std::FILE* stream = _popen(("\"" + line + "\"").c_str(), pipe == Pipe::kToInput ? "wb" : "rb");
  if (!stream) throw CliError("cannot start " + args[0] + ": " + std::strerror(errno));
  stream_ = stream;
  running_ = true;
}

bool ChildProcess::Write(const void* data, size_t size) {
  return stream_ && std::fwrite(data, 1, size, static_cast<std::FILE*>(stream_)) == size;
}

size_t ChildProcess::Read(void* data, size_t size) {
  return stream_ ? std::fread(data, 1, size, static_cast<std::FILE*>(stream_)) : 0;
}

void ChildProcess::ClosePipe() {}

int ChildProcess::Wait() {
  if (!running_) return -1;
  running_ = false;
  int status = _pclose(static_cast<std::FILE*>(stream_));
  stream_ = nullptr;
  return status;
}

void ChildProcess::Kill() { Wait(); }

#else

ChildProcess::ChildProcess(const std::vector<std::string>& args, Pipe pipe, bool quiet) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    throw CliError("cannot start " + args[0] + ": " + std::strerror(errno));
  }
  const int childEnd = pipe == Pipe::kToInput ? ends[0] : ends[1];
  const int ourEnd = pipe == Pipe::kToInput ? ends[1] : ends[0];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, childEnd, pipe == Pipe::kToInput ? 0 : 1);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A process group of its own: a terminal's Ctrl-C reaches us, and we end the child.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  std::fflush(stdout);
  std::fflush(stderr);
  const int failed = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(childEnd);
  if (failed != 0) {
    ::close(ourEnd);
    throw CliError("cannot start " + args[0] + ": " + std::strerror(failed));
  }
  fd_ = ourEnd;
  pid_ = child;
  running_ = true;
  WatchChildProcess(pid_);
}

bool ChildProcess::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0 && fd_ >= 0) {
    ssize_t written = ::write(fd_, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return size == 0;
}

size_t ChildProcess::Read(void* data, size_t size) {
  auto* bytes = static_cast<char*>(data);
  size_t got = 0;
  while (got < size && fd_ >= 0) {
    ssize_t n = ::read(fd_, bytes + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

void ChildProcess::ClosePipe() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int ChildProcess::Wait() {
  ClosePipe();
  if (!running_) return -1;
  running_ = false;
  int status = 0;
  pid_t done;
  while ((done = waitpid(static_cast<pid_t>(pid_), &status, 0)) < 0 && errno == EINTR) {
  }
  ForgetChildProcess(pid_);
  if (done < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Kill() {
  if (running_) ::kill(-static_cast<pid_t>(pid_), SIGKILL);
  Wait();
}

#endif

ChildProcess::~ChildProcess() { Kill(); }
