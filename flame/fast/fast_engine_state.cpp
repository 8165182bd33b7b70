#include "flame/fast/fast_engine_state.h"

#include <new>

#include "flame/fast/fast_seeding.h"

namespace fastflame {

FastCaches::FastCaches() = default;
FastCaches::~FastCaches() = default;
FastCaches::FastCaches(FastCaches&&) noexcept = default;
FastCaches& FastCaches::operator=(FastCaches&&) noexcept = default;

DiscSeedingPlan* FastCaches::Seeding() {
  if (!seeding_) seeding_.reset(new (std::nothrow) DiscSeedingPlan());
  return seeding_.get();
}

uint8_t* FastCaches::RowCopies(int columns) {
  const size_t size = static_cast<size_t>(columns) * 3;
  if (rowCopies_.size() < size) {
    try {
      rowCopies_.resize(size);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return rowCopies_.data();
}

}  // namespace fastflame
