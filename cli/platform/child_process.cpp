// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/platform/child_process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <stdio.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#endif

#include "cli/platform/cli_error.h"
#include "cli/platform/interrupt_cleanup.h"

#if defined(_WIN32)

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

// The arguments joined into a Windows command line, each quoted where it needs it.
std::string WindowsCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += QuotedArgument(arg);
  }
  return line;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args, Pipe pipe, Errors errors) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::string line = WindowsCommandLine(args);
  if (errors != Errors::kShown) line += " 2>NUL";
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

void ChildProcess::SendKill() {}

#else

namespace {

// The program's file as execvp would find it on PATH, found before forking: after fork, only
// calls that allocate nothing are made.
std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args, Pipe pipe, Errors errors) {
  const std::string program = FindProgram(args[0]);
  if (program.empty()) throw CliError("cannot start " + args[0] + ": " + std::strerror(ENOENT));
  const bool quiet = errors == Errors::kHidden;
  if (errors == Errors::kKept) {
    errors_ = std::tmpfile();
    if (!errors_) throw CliError("cannot start " + args[0] + ": " + std::strerror(errno));
  }
  const int keptErrors = errors_ ? fileno(errors_) : -1;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    throw CliError("cannot start " + args[0] + ": " + std::strerror(errno));
  }
  int report[2];  // the child's exec error, if any; closed by a successful exec
  // A wide pipe: a frame crosses in a few writes rather than one wake-up per 64 KiB. The
  // kernel's own size stays where it refuses a wider one.
  ::fcntl(ends[0], F_SETPIPE_SZ, 1 << 20);
  if (::pipe2(report, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(ends[0]);
    ::close(ends[1]);
    throw CliError("cannot start " + args[0] + ": " + std::strerror(error));
  }
  const int childEnd = pipe == Pipe::kToInput ? ends[0] : ends[1];
  const int ourEnd = pipe == Pipe::kToInput ? ends[1] : ends[0];
  const int childSide = pipe == Pipe::kToInput ? 0 : 1;
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  std::fflush(stdout);
  std::fflush(stderr);
  // The child runs none of our signal handlers (they would remove our files): every signal
  // stays blocked in it until exec, which restores the mask it had.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  const pid_t child = ::fork();
  if (child == 0) {
    // A process group of its own, which our signal handlers end as a whole; and the
    // parent-death signal, which ends it however we end, SIGKILL included. (The "parent" is
    // the thread that forks: children are started from the main thread.)
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);  // we ended before the signal was armed
    if (childEnd == childSide) {
      ::fcntl(childEnd, F_SETFD, 0);
    } else {
      ::dup2(childEnd, childSide);
    }
    if (quiet) {
      const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      if (null >= 0) ::dup2(null, 2);
    }
    if (keptErrors >= 0) ::dup2(keptErrors, 2);
    // Ignored signals stay ignored across exec; SIGPIPE, which we may ignore, must not be.
    ::signal(SIGPIPE, SIG_DFL);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    ssize_t ignored = ::write(report[1], &error, sizeof error);
    (void)ignored;
    ::_exit(127);
  }
  const int forkError = errno;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ::close(childEnd);
  ::close(report[1]);
  if (child < 0) {
    ::close(ourEnd);
    ::close(report[0]);
    throw CliError("cannot start " + args[0] + ": " + std::strerror(forkError));
  }
  int execError = 0;
  ssize_t got;
  while ((got = ::read(report[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof execError)) {
    ::close(ourEnd);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    throw CliError("cannot start " + args[0] + ": " + std::strerror(execError));
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
  SendKill();
  Wait();
}

void ChildProcess::SendKill() {
  if (running_) {
    ::kill(-static_cast<pid_t>(pid_), SIGKILL);
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
  }
}

#endif

ChildProcess::~ChildProcess() {
  Kill();
  if (errors_) std::fclose(errors_);
}

std::string ChildProcess::LastErrorLine() const {
  if (!errors_) return "";
  // The end of what it wrote is enough: the last line is the one wanted.
  constexpr long kTail = 4096;
  std::fflush(errors_);
  std::fseek(errors_, 0, SEEK_END);
  const long size = std::ftell(errors_);
  std::fseek(errors_, size > kTail ? size - kTail : 0, SEEK_SET);
  std::string text(static_cast<size_t>(size > kTail ? kTail : (size < 0 ? 0 : size)), '\0');
  text.resize(std::fread(&text[0], 1, text.size(), errors_));
  // The last line from one of ffmpeg's parts ("[mov,mp4 @ 0x55d0c0a0] moov atom not found")
  // says what the closing lines ("...: Invalid data found when processing input") do not.
  std::string last, lastOfAPart;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    bool ofAPart = false;
    while (line.size() > 1 && line[0] == '[') {
      const size_t close = line.find("] ");
      if (close == std::string::npos || line.find(" @ ") > close) break;
      line.erase(0, close + 2);
      ofAPart = true;
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    if (line.empty() || line == "Conversion failed!" || line == "Conversion failed") continue;
    last = line;
    if (ofAPart) lastOfAPart = line;
  }
  return lastOfAPart.empty() ? last : lastOfAPart;
}
