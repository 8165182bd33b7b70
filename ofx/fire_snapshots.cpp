#include "ofx/fire_snapshots.h"

#include <new>
#include <utility>

namespace {

// At any frame size, so that large frames still have states to seek from.
constexpr size_t kMinimumStates = 8;
constexpr size_t kSpareStorage = 2;

}  // namespace

void FireSnapshots::Reset(size_t cellBytes) {
  states_.clear();
  spare_.clear();
  cellBytes_ = cellBytes;
  spacing_ = kFirstSpacing;
}

void FireSnapshots::DropFrom(int32_t frame) {
  for (auto it = states_.lower_bound(frame); it != states_.end(); it = states_.erase(it)) {
    Release(std::move(it->second));
  }
}

size_t FireSnapshots::Capacity() const {
  // The storage kept for reuse counts against the budget too.
  const size_t fit = cellBytes_ ? budget_ / cellBytes_ : 0;
  return fit > kMinimumStates + kSpareStorage ? fit - kSpareStorage : kMinimumStates;
}

bool FireSnapshots::Wants(int32_t frame) const {
  return frame > 0 && frame % spacing_ == 0 && states_.count(frame) == 0;
}

FireSnapshot FireSnapshots::TakeBlank() {
  FireSnapshot snapshot;
  if (!spare_.empty()) {
    snapshot.cells = std::move(spare_.back());
    spare_.pop_back();
  } else {
    snapshot.cells.reset(new (std::nothrow) uint8_t[cellBytes_]);
  }
  return snapshot;
}

void FireSnapshots::Keep(FireSnapshot&& snapshot) {
  while (states_.size() >= Capacity()) {
    spacing_ *= 2;
    for (auto it = states_.begin(); it != states_.end();) {
      if (it->first % spacing_ != 0) {
        Release(std::move(it->second));
        it = states_.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (snapshot.frame % spacing_ != 0) {
    Release(std::move(snapshot));
    return;
  }
  const int32_t frame = snapshot.frame;
  states_[frame] = std::move(snapshot);
}

const FireSnapshot* FireSnapshots::Before(int32_t frame) const {
  auto it = states_.lower_bound(frame);
  if (it == states_.begin()) return nullptr;
  return &(--it)->second;
}

void FireSnapshots::Release(FireSnapshot&& snapshot) {
  if (spare_.size() < kSpareStorage && snapshot.cells) spare_.push_back(std::move(snapshot.cells));
}
