#include "cli/interrupt_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

// Read by the signal handler: fixed buffers, each with a lock-free state that says whether it
// holds a name. One slot per file in flight: the encoding threads and the video.
constexpr int kSlots = 80;
constexpr int kFree = 0, kFilling = 1, kWatched = 2;
char watchedPaths[kSlots][4096];
std::atomic<int> slotState[kSlots];

constexpr int kChildSlots = 4;
std::atomic<long> watchedChildren[kChildSlots];

void RemoveWatchedFilesAndEnd(int signal) {
#if !defined(_WIN32)
  for (std::atomic<long>& child : watchedChildren) {
    long id = child.load();
    if (id > 0) kill(static_cast<pid_t>(-id), SIGKILL);  // its own process group
  }
#endif
  for (int i = 0; i < kSlots; ++i) {
    if (slotState[i].load() != kWatched) continue;
#if defined(_WIN32)
    _unlink(watchedPaths[i]);
#else
    unlink(watchedPaths[i]);
#endif
  }
  // End as the signal would have ended the program.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallInterruptCleanup() {
  std::signal(SIGINT, RemoveWatchedFilesAndEnd);
  std::signal(SIGTERM, RemoveWatchedFilesAndEnd);
#if !defined(_WIN32)
  std::signal(SIGHUP, RemoveWatchedFilesAndEnd);
  std::signal(SIGQUIT, RemoveWatchedFilesAndEnd);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

int WatchTemporaryFile(const std::string& path) {
  if (path.size() >= sizeof watchedPaths[0]) return -1;  // too long to keep; nothing is removed
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slotState[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(watchedPaths[i], path.c_str(), path.size() + 1);
    slotState[i].store(kWatched);
    return i;
  }
  return -1;
}

void ForgetTemporaryFile(int handle) {
  if (handle >= 0 && handle < kSlots) slotState[handle].store(kFree);
}

void WatchChildProcess(long processId) {
  for (std::atomic<long>& child : watchedChildren) {
    long expected = 0;
    if (child.compare_exchange_strong(expected, processId)) return;
  }
}

void ForgetChildProcess(long processId) {
  for (std::atomic<long>& child : watchedChildren) {
    long expected = processId;
    child.compare_exchange_strong(expected, 0);
  }
}
