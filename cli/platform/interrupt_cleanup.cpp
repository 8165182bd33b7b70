// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/platform/interrupt_cleanup.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <pthread.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

// Read by the signal handler: fixed buffers, each with a lock-free state that says whether it
// holds a name. One slot per file in flight: the encoding threads and the video.
constexpr int kSlots = 80;
constexpr int kFree = 0, kFilling = 1, kWatched = 2;
char watchedPaths[kSlots][4096];
std::atomic<int> slotState[kSlots];

constexpr int kChildSlots = 8;
std::atomic<long> watchedChildren[kChildSlots];

// Set once the program is ending by a signal: no temporary file is created after it.
std::atomic<bool> ending{false};
// Threads between deciding to create a temporary file and having created (and watched) it.
std::atomic<int> creating{0};

#if !defined(_WIN32)
// Every signal whose default action ends the program and that a user or the system sends to
// end it (a closed terminal, a CPU or file-size limit, a watchdog's alarm).
const int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGPIPE, SIGALRM,
                              SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};
#endif

void EndChildrenAndRemoveFiles() {
  ending.store(true);
#if !defined(_WIN32)
  // A file being created now is watched once it exists; wait for that, a second at most.
  for (int i = 0; i < 1000 && creating.load() > 0; ++i) {
    struct timespec pause = {0, 1000000};
    nanosleep(&pause, nullptr);
  }
  for (std::atomic<long>& child : watchedChildren) {
    const long id = child.load();
    if (id <= 0) continue;
    kill(static_cast<pid_t>(-id), SIGKILL);  // its own process group
    kill(static_cast<pid_t>(id), SIGKILL);   // in case it has not made the group yet
    // Gone before its files are removed: a child does not create one after this.
    while (waitpid(static_cast<pid_t>(id), nullptr, 0) < 0 && errno == EINTR) {
    }
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
}

#if defined(_WIN32)

void OnEndingSignal(int signal) {
  EndChildrenAndRemoveFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

#else

void OnEndingSignal(int signal, siginfo_t* info, void*) {
  // SIGPIPE from our own write to a pipe whose reader is gone (ffmpeg stopped, standard
  // output closed): the write then fails with EPIPE and that failure is reported. Sent by
  // anyone else, it ends the program like the others.
  if (signal == SIGPIPE && info && info->si_code == SI_USER && info->si_pid == getpid()) return;
  const int saved = errno;
  EndChildrenAndRemoveFiles();
  // End as the signal would have ended the program.
  struct sigaction fallback;
  std::memset(&fallback, 0, sizeof fallback);
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t just;
  sigemptyset(&just);
  sigaddset(&just, signal);
  pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
  raise(signal);
  errno = saved;
}

#endif

}  // namespace

void InstallInterruptCleanup() {
#if defined(_WIN32)
  std::signal(SIGINT, OnEndingSignal);
  std::signal(SIGTERM, OnEndingSignal);
#else
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnEndingSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  // No second signal runs the cleanup again while the first one does.
  sigemptyset(&action.sa_mask);
  for (int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kEndingSignals) {
    // A run started with nohup goes on when its terminal closes.
    struct sigaction previous;
    sigaction(signal, nullptr, &previous);
    if (signal == SIGHUP && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
#endif
}

void BlockEndingSignals() {
#if !defined(_WIN32)
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kEndingSignals) sigaddset(&set, signal);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
#endif
}

bool BeginCreatingFile() {
  creating.fetch_add(1);
  if (!ending.load()) return true;
  creating.fetch_sub(1);
  return false;
}

void EndCreatingFile() { creating.fetch_sub(1); }

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

EndingSignalsBlocked::EndingSignalsBlocked() {
#if !defined(_WIN32)
  static_assert(sizeof(sigset_t) <= sizeof saved_, "a signal mask fits");
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kEndingSignals) sigaddset(&set, signal);
  pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(saved_));
#endif
}

EndingSignalsBlocked::~EndingSignalsBlocked() {
#if !defined(_WIN32)
  pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(saved_), nullptr);
#endif
}
