// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/state_packer.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The Windows build's C++ runtime (the win32 thread model) has no std::thread or std::mutex:
// Windows takes its own thread, slim lock and condition variable.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace {

// Copies `size` bytes with streaming stores: the copy is read by the packer's thread a while
// later, and would otherwise push the fire's buffers and the host's images, which the next
// frames read, out of the cache.
void CopyPastTheCache(uint8_t* to, const uint8_t* from, size_t size) {
  size_t i = 0;
#if defined(__SSE2__)
  // Streamed stores go to 16-byte aligned addresses.
  const size_t head = (16 - reinterpret_cast<uintptr_t>(to) % 16) % 16;
  if (head >= size) {
    std::memcpy(to, from, size);
    return;
  }
  std::memcpy(to, from, head);
  for (i = head; i + 64 <= size; i += 64) {
    const __m128i* in = reinterpret_cast<const __m128i*>(from + i);
    __m128i* out = reinterpret_cast<__m128i*>(to + i);
    const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1);
    const __m128i c = _mm_loadu_si128(in + 2), d = _mm_loadu_si128(in + 3);
    _mm_stream_si128(out, a);
    _mm_stream_si128(out + 1, b);
    _mm_stream_si128(out + 2, c);
    _mm_stream_si128(out + 3, d);
  }
  _mm_sfence();
#endif
  std::memcpy(to + i, from + i, size - i);
}

}  // namespace

// The thread and what it and the caller hand each other under its lock. The thread runs below
// the priority of the renders: where the machine is busy the frame the host waits for comes
// first, and the packing takes the time that is left (measured on a loaded 2-core machine:
// frames in order from 1.5 to 1.35 times the engine's frame at 1920x1080).
struct StatePacker::Thread {
  bool job = false;   // a state to pack
  bool done = false;  // the state packed, to be taken
  bool quit = false;

#if defined(_WIN32)
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
  HANDLE handle = nullptr;

  static DWORD WINAPI Main(LPVOID packer) {
    Work(static_cast<StatePacker*>(packer));
    return 0;
  }
  bool Run(StatePacker* packer) {
    handle = CreateThread(nullptr, 0, Main, packer, 0, nullptr);
    return handle != nullptr;
  }
  void Join() {
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
  }
  void Lock() { AcquireSRWLockExclusive(&lock); }
  void Unlock() { ReleaseSRWLockExclusive(&lock); }
  void Wait() { SleepConditionVariableSRW(&changed, &lock, INFINITE, 0); }
  void Tell() { WakeAllConditionVariable(&changed); }
  void YieldToRenders() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
#else
  std::mutex mutex;
  std::condition_variable changed;
  std::thread thread;

  bool Run(StatePacker* packer) {
    try {
      thread = std::thread(Work, packer);
    } catch (const std::exception&) {
      return false;
    }
    return true;
  }
  void Join() { thread.join(); }
  void Lock() { mutex.lock(); }
  void Unlock() { mutex.unlock(); }
  void Wait() {
    std::unique_lock<std::mutex> relock(mutex, std::adopt_lock);
    changed.wait(relock);
    relock.release();
  }
  void Tell() { changed.notify_all(); }
  // Linux sets a thread's own niceness by its id; where it cannot, the packer keeps the
  // process's.
  void YieldToRenders() { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10); }
#endif
};

StatePacker::StatePacker() = default;

StatePacker::~StatePacker() {
  if (!thread_) return;
  thread_->Lock();
  thread_->quit = true;
  thread_->Tell();
  thread_->Unlock();
  thread_->Join();
}

void StatePacker::Work(StatePacker* packer) {
  Thread& t = *packer->thread_;
  t.YieldToRenders();
  t.Lock();
  for (;;) {
    while (!t.job && !t.quit) t.Wait();
    if (t.quit) break;
    t.Unlock();
    const size_t cells = packer->cells_;
    const uint8_t* const buffers[3] = {packer->copy_.data(), packer->copy_.data() + cells,
                                       packer->copy_.data() + 2 * cells};
    bool ok = false;
    try {
      ok = packer->packer_.Pack(packer->frame_, packer->state_, buffers, cells, packer->deflate_,
                                &packer->packed_);
    } catch (const std::bad_alloc&) {
    }
    t.Lock();
    packer->packedOk_ = ok;
    t.job = false;
    t.done = true;
    t.Tell();
  }
  t.Unlock();
}

bool StatePacker::Start(int32_t frame, Fire& fire, bool deflate) {
  if (busy_) return false;
  const FlameSequenceData& buffers = fire.Buffers();
  const size_t cells = fire.CellBytes();
  if (!buffers.field || cells == 0) return false;
  try {
    if (!thread_) {
      std::unique_ptr<Thread> made(new Thread);
      thread_ = std::move(made);
      if (!thread_->Run(this)) {
        thread_.reset();
        return false;
      }
    }
    if (copy_.size() != 3 * cells) {
      std::vector<uint8_t>().swap(copy_);
      copy_.resize(3 * cells);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  CopyPastTheCache(copy_.data(), buffers.mask, cells);
  CopyPastTheCache(copy_.data() + cells, buffers.field, cells);
  CopyPastTheCache(copy_.data() + 2 * cells, buffers.drops, cells);
  frame_ = frame;
  deflate_ = deflate;
  state_ = fire.State();
  cells_ = cells;
  thread_->Lock();
  thread_->job = true;
  thread_->Tell();
  thread_->Unlock();
  busy_ = true;
  return true;
}

bool StatePacker::Take(bool wait, FireSnapshot* packed) {
  if (!busy_) return false;
  Thread& t = *thread_;
  t.Lock();
  if (!t.done && !wait) {
    t.Unlock();
    return false;
  }
  while (!t.done) t.Wait();
  t.done = false;
  t.Unlock();
  busy_ = false;
  packerBytes_ = packer_.Bytes();
  if (!packedOk_) return false;
  *packed = std::move(packed_);
  packed_ = FireSnapshot{};
  return true;
}

void StatePacker::Release() {
  FireSnapshot dropped;
  Take(true, &dropped);
  std::vector<uint8_t>().swap(copy_);
}
