#include "cli/interrupt_cleanup.h"

#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Read by the signal handler: a fixed buffer, and a flag that says whether it holds a name.
char watchedPath[4096];
volatile std::sig_atomic_t watching = 0;

void RemoveWatchedFileAndEnd(int signal) {
  if (watching) {
#if defined(_WIN32)
    _unlink(watchedPath);
#else
    unlink(watchedPath);
#endif
  }
  // End as the signal would have ended the program.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallInterruptCleanup() {
  std::signal(SIGINT, RemoveWatchedFileAndEnd);
  std::signal(SIGTERM, RemoveWatchedFileAndEnd);
}

void WatchTemporaryFile(const std::string& path) {
  watching = 0;
  if (path.size() >= sizeof watchedPath) return;  // too long to keep; nothing is removed
  std::memcpy(watchedPath, path.c_str(), path.size() + 1);
  watching = 1;
}

void ForgetTemporaryFile() { watching = 0; }
