// SPDX-License-Identifier: GPL-2.0-or-later
// One instance's lock: a host may send an instance's render on one thread and its parameter
// changes or cache purges on another, or one instance's renders on several threads at once. (The Windows build's C++ runtime, in the win32 thread
// model, has no std::mutex, so Windows takes a slim reader/writer lock of its own.)
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
#if defined(_WIN32)
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
#else
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
#endif
};
