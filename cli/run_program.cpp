#include "cli/run_program.h"

#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

#if defined(_WIN32)
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
#endif

}  // namespace

int RunProgram(const std::vector<std::string>& args, bool silenceOutput) {
  if (args.empty()) return -1;
  std::fflush(stdout);
  std::fflush(stderr);
#if defined(_WIN32)
  std::vector<std::string> quoted;
  for (const std::string& arg : args) quoted.push_back(QuotedArgument(arg));
  std::vector<const char*> argv;
  for (const std::string& arg : quoted) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  int savedOutput = -1;
  if (silenceOutput) {
    int nowhere = _open("NUL", _O_WRONLY);
    if (nowhere >= 0) {
      savedOutput = _dup(1);
      _dup2(nowhere, 1);
      _close(nowhere);
    }
  }
  intptr_t status = _spawnvp(_P_WAIT, args[0].c_str(), argv.data());
  if (savedOutput >= 0) {
    _dup2(savedOutput, 1);
    _close(savedOutput);
  }
  return status < 0 ? -1 : static_cast<int>(status);
#else
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (silenceOutput) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  pid_t child = 0;
  int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return -1;
#endif
}
