// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire_snapshots.h"

#include "effect/fire.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <emmintrin.h>
#if !defined(FYREL_SNAPSHOTS_STORED)
#include <zlib.h>
#endif

namespace {

// At any frame size the budget holds this many states as they lie (and two more, as the
// storage the states once kept for reuse took).
constexpr size_t kMinimumStates = 8 + 2;

// Buffers are scanned in blocks of 64 bytes; a run of at least 4 zero blocks is counted
// rather than stored (shorter gaps cost the deflater less than a run of their own).
constexpr size_t kBlock = 64;
constexpr size_t kZeroRunBlocks = 4;
// What the map keeps beside each state.
constexpr size_t kNodeBytes = 64;

bool ZeroBlock(const uint8_t* p) {
  const __m128i* q = reinterpret_cast<const __m128i*>(p);
  const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(q), _mm_loadu_si128(q + 1)),
                                   _mm_or_si128(_mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

}  // namespace

// The stored runs of a state go into one stream (Begin, Put each run, Finish: `packed` holds
// Used() bytes) and come back out of it in the same order (Open, Take each run).
#if defined(FYREL_SNAPSHOTS_STORED)

// Without zlib (the page's WebAssembly build) the stored runs are kept as they lie.
struct FireSnapshots::Coder {
  static constexpr size_t kOwnBytes = 0;
  std::vector<uint8_t> packed;
  std::vector<uint32_t> runs;
  size_t used = 0;
  const uint8_t* next = nullptr;
  const uint8_t* end = nullptr;

  size_t Used() const { return used; }
  bool Begin(bool /*deflate*/) {
    used = 0;
    return true;
  }
  bool Put(const uint8_t* data, size_t size) {
    if (packed.size() - used < size) packed.resize(used + std::max(size, packed.size()));
    std::memcpy(packed.data() + used, data, size);
    used += size;
    return true;
  }
  bool Finish() { return true; }
  bool Open(const std::vector<uint8_t>& stream) {
    next = stream.data();
    end = next + stream.size();
    return true;
  }
  bool Take(uint8_t* out, size_t size) {
    if (static_cast<size_t>(end - next) < size) return false;
    std::memcpy(out, next, size);
    next += size;
    return true;
  }
};

#else

namespace {

// Deflate's fastest level: the stored runs are hot cells, whose values repeat along the rows;
// or none, the runs kept as they lie in the stream's stored blocks. A raw stream: no checksum,
// the memory is our own.
constexpr int kLevel = 1;
constexpr int kWindowBits = -15;

}  // namespace

struct FireSnapshots::Coder {
  // What a deflater and an inflater hold of their own (zlib's figures for level 1 and a
  // window of 32 KiB, rounded up).
  static constexpr size_t kOwnBytes = 300 * 1024;
  z_stream deflater{};
  z_stream inflater{};
  bool deflating = false;
  int level = kLevel;  // the deflater's
  bool inflating = false;
  std::vector<uint8_t> packed;  // the stream being made, copied out at its size when done
  std::vector<uint32_t> runs;

  ~Coder() {
    if (deflating) deflateEnd(&deflater);
    if (inflating) inflateEnd(&inflater);
  }

  // The bytes of the stream made so far.
  size_t Used() const { return static_cast<size_t>(deflater.next_out - packed.data()); }

  bool Begin(bool deflate) {
    const int wanted = deflate ? kLevel : Z_NO_COMPRESSION;
    if (deflating && level != wanted) {
      // The level changes once in a while: a deflater made anew for it.
      deflateEnd(&deflater);
      deflating = false;
    }
    if (!deflating) {
      if (deflateInit2(&deflater, wanted, Z_DEFLATED, kWindowBits, 8, Z_DEFAULT_STRATEGY) !=
          Z_OK) {
        return false;
      }
      deflating = true;
      level = wanted;
    } else if (deflateReset(&deflater) != Z_OK) {
      return false;
    }
    deflater.next_out = packed.data();
    deflater.avail_out = 0;  // Deflate sets it before the first byte
    return true;
  }
  // Long stored runs go in pieces, so that each fits zlib's 32-bit counts.
  bool Put(const uint8_t* data, size_t size) {
    for (size_t from = 0; from < size; from += size_t{1} << 30) {
      if (!Deflate(data + from, std::min(size - from, size_t{1} << 30), Z_NO_FLUSH)) return false;
    }
    return true;
  }
  bool Finish() { return Deflate(nullptr, 0, Z_FINISH); }

  bool Open(const std::vector<uint8_t>& stream) {
    if (!inflating) {
      if (inflateInit2(&inflater, kWindowBits) != Z_OK) return false;
      inflating = true;
    } else if (inflateReset(&inflater) != Z_OK) {
      return false;
    }
    inflater.next_in = const_cast<Bytef*>(stream.data());
    inflater.avail_in = static_cast<uInt>(stream.size());
    return true;
  }
  bool Take(uint8_t* out, size_t size) {
    inflater.next_out = out;
    inflater.avail_out = static_cast<uInt>(size);
    while (inflater.avail_out > 0) {
      const int result = inflate(&inflater, Z_NO_FLUSH);
      if (result != Z_OK && !(result == Z_STREAM_END && inflater.avail_out == 0)) return false;
    }
    return true;
  }

  // Deflates `size` bytes (at most 4 GiB) into `packed`, which grows as the stream needs.
  bool Deflate(const uint8_t* data, size_t size, int flush) {
    deflater.next_in = const_cast<Bytef*>(data);
    deflater.avail_in = static_cast<uInt>(size);
    for (;;) {
      if (deflater.avail_out == 0) {
        const size_t used = Used();
        if (used == packed.size()) {
          const size_t more = std::min<size_t>(std::max<size_t>(used, 64 * 1024), size_t{1} << 30);
          packed.resize(used + more);
        }
        deflater.next_out = packed.data() + used;
        deflater.avail_out = static_cast<uInt>(std::min<size_t>(packed.size() - used, UINT32_MAX));
      }
      const int result = deflate(&deflater, flush);
      if (result == Z_STREAM_ERROR) return false;
      if (flush == Z_FINISH ? result == Z_STREAM_END : deflater.avail_in == 0) return true;
    }
  }
};

#endif

FireSnapshots::FireSnapshots(size_t budgetBytes) : budget_(budgetBytes) {}

FireSnapshots::~FireSnapshots() = default;

void FireSnapshots::Reset(size_t bufferBytes) {
  states_.clear();
  stateBytes_ = 0;
  bufferBytes_ = bufferBytes;
  spacing_ = kFirstSpacing;
  if (packer_.coder_) {
    // What one frame size needed, the next need not.
    std::vector<uint8_t>().swap(packer_.coder_->packed);
    std::vector<uint32_t>().swap(packer_.coder_->runs);
  }
}

void FireSnapshots::DropFrom(int32_t frame) {
  for (auto it = states_.lower_bound(frame); it != states_.end(); it = states_.erase(it)) {
    stateBytes_ -= BytesOf(it->second);
  }
}

size_t FireSnapshots::Limit() const { return std::max(budget_, kMinimumStates * 3 * bufferBytes_); }

size_t FireSnapshots::BytesOf(const FireSnapshot& snapshot) {
  return kNodeBytes + sizeof(FireSnapshot) + snapshot.runs.capacity() * sizeof(uint32_t) +
         snapshot.packed.capacity();
}

size_t FireSnapshots::Bytes() const { return stateBytes_ + packer_.Bytes(); }

bool FireSnapshots::Wants(int32_t frame) const {
  return frame > 0 && frame % spacing_ == 0 && states_.count(frame) == 0;
}

FireSnapshots::Packer::Packer() = default;

FireSnapshots::Packer::~Packer() = default;

size_t FireSnapshots::Packer::Bytes() const {
  if (!coder_) return 0;
  return sizeof(Coder) + Coder::kOwnBytes + coder_->packed.capacity() +
         coder_->runs.capacity() * sizeof(uint32_t);
}

bool FireSnapshots::Packer::Pack(int32_t frame, const FlameState& flame,
                                 const uint8_t* const buffers[3], size_t bufferBytes,
                                 bool deflate, FireSnapshot* snapshot) {
  // Runs are counted in 32 bits.
  if (bufferBytes > UINT32_MAX) return false;
  if (!coder_) coder_.reset(new (std::nothrow) Coder);
  if (!coder_) return false;
  Coder& c = *coder_;
  if (!c.Begin(deflate)) return false;
  c.runs.clear();
  const size_t size = bufferBytes;
  for (int b = 0; b < 3; ++b) {
    const uint8_t* p = buffers[b];
    size_t at = 0;
    while (at < size) {
      size_t zeros = at;  // whole zero blocks from `at`
      while (zeros + kBlock <= size && ZeroBlock(p + zeros)) zeros += kBlock;
      size_t end = zeros;  // stored bytes up to a run of kZeroRunBlocks zero blocks
      size_t quiet = 0;
      while (end < size) {
        if (end + kBlock <= size && ZeroBlock(p + end)) {
          end += kBlock;
          if (++quiet == kZeroRunBlocks) {
            end -= quiet * kBlock;
            break;
          }
        } else {
          quiet = 0;
          end = std::min(end + kBlock, size);
        }
      }
      if (!c.Put(p + zeros, end - zeros)) return false;
      c.runs.push_back(static_cast<uint32_t>(zeros - at));
      c.runs.push_back(static_cast<uint32_t>(end - zeros));
      at = end;
    }
  }
  if (!c.Finish()) return false;
  const size_t used = c.Used();
  snapshot->frame = frame;
  snapshot->flame = flame;
  snapshot->packed.assign(c.packed.begin(), c.packed.begin() + static_cast<ptrdiff_t>(used));
  snapshot->runs.assign(c.runs.begin(), c.runs.end());
  return true;
}

void FireSnapshots::Save(int32_t frame, const FlameState& flame,
                         const uint8_t* const buffers[3]) {
  FireSnapshot snapshot;
  try {
    if (!packer_.Pack(frame, flame, buffers, bufferBytes_, DeflatesNext(), &snapshot)) return;
  } catch (const std::bad_alloc&) {
    return;
  }
  Keep(std::move(snapshot));
}

void FireSnapshots::Keep(FireSnapshot&& snapshot) {
  try {
    const size_t bytes = BytesOf(snapshot);
    const int32_t frame = snapshot.frame;
    const auto kept = states_.find(frame);
    if (kept != states_.end()) {
      stateBytes_ -= BytesOf(kept->second);
      kept->second = std::move(snapshot);
    } else {
      states_.emplace(frame, std::move(snapshot));
    }
    stateBytes_ += bytes;
  } catch (const std::bad_alloc&) {
    return;
  }
  Thin();
}

void FireSnapshots::Thin() {
  while (Bytes() > Limit() && states_.size() > 1 && spacing_ <= INT32_MAX / 2) {
    spacing_ *= 2;
    for (auto it = states_.begin(); it != states_.end();) {
      if (it->first % spacing_ != 0) {
        stateBytes_ -= BytesOf(it->second);
        it = states_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

bool FireSnapshots::Load(const FireSnapshot& snapshot, FlameState* flame,
                         uint8_t* const buffers[3]) {
  std::unique_ptr<Coder>& coder = packer_.coder_;
  if (!coder) coder.reset(new (std::nothrow) Coder);
  if (!coder) return false;
  Coder& c = *coder;
  if (!c.Open(snapshot.packed)) return false;
  size_t run = 0;
  for (int b = 0; b < 3; ++b) {
    uint8_t* p = buffers[b];
    size_t at = 0;
    while (at < bufferBytes_) {
      if (run + 2 > snapshot.runs.size()) return false;
      const size_t zeros = snapshot.runs[run++];
      const size_t stored = snapshot.runs[run++];
      if (zeros + stored > bufferBytes_ - at) return false;
      std::memset(p + at, 0, zeros);
      at += zeros;
      if (!c.Take(p + at, stored)) return false;
      at += stored;
    }
  }
  *flame = snapshot.flame;
  return true;
}

const FireSnapshot* FireSnapshots::Before(int32_t frame) const {
  auto it = states_.lower_bound(frame);
  if (it == states_.begin()) return nullptr;
  return &(--it)->second;
}

void SaveFire(FireSnapshots& snapshots, int32_t frame, Fire& fire) {
  FlameSequenceData& buffers = fire.Buffers();
  if (!buffers.field || fire.CellBytes() != snapshots.BufferBytes()) return;
  const uint8_t* const parts[3] = {buffers.mask, buffers.field, buffers.drops};
  snapshots.Save(frame, fire.State(), parts);
}

bool RestoreFire(FireSnapshots& snapshots, const FireSnapshot& snapshot, Fire& fire) {
  FlameSequenceData& buffers = fire.Buffers();
  uint8_t* const parts[3] = {buffers.mask, buffers.field, buffers.drops};
  return buffers.field && fire.CellBytes() == snapshots.BufferBytes() &&
         snapshots.Load(snapshot, &fire.State(), parts);
}
