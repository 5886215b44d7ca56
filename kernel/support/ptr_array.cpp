#include "kernel/support/ptr_array.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

PtrArray::PtrArray(std::int32_t growStep) { setGrowStep(growStep); }

PtrArray::~PtrArray() { std::free(data_); }

bool PtrArray::reserve(std::int32_t needed) {
  if (needed <= capacity_) return true;
  if (needed > kMaxCount) return false;
  // A full array grows by the step, else doubles (to 4 when empty), and at least to needed.
  const std::int64_t increment = growStep_ ? growStep_ : (capacity_ ? capacity_ : 4);
  const std::int64_t grown = std::max<std::int64_t>(capacity_ + increment, needed);
  const auto newCapacity = static_cast<std::int32_t>(std::min<std::int64_t>(grown, kMaxCount));
  void* block = std::realloc(data_, static_cast<std::size_t>(newCapacity) * sizeof(void*));
  if (!block) return false;
  data_ = static_cast<void**>(block);
  std::memset(data_ + capacity_, 0,
              static_cast<std::size_t>(newCapacity - capacity_) * sizeof(void*));
  capacity_ = newCapacity;
  return true;
}

void** PtrArray::slot(std::int32_t index) {
  if (index < 0) return nullptr;
  if (index >= count_) {
    if (index >= kMaxCount || !reserve(index + 1)) return nullptr;
    count_ = index + 1;
  }
  return data_ + index;
}

bool PtrArray::append(void* p) {
  if (count_ >= kMaxCount || !reserve(count_ + 1)) return false;
  data_[count_++] = p;
  return true;
}

void* PtrArray::at(std::int32_t index) {
  void** s = slot(index);
  return s ? *s : nullptr;
}

bool PtrArray::setAt(std::int32_t index, void* p) {
  void** s = slot(index);
  if (!s) return false;
  *s = p;
  return true;
}

bool PtrArray::removeAt(std::int32_t index) {
  if (index < 0 || index >= count_) return false;
  std::memmove(data_ + index, data_ + index + 1,
               static_cast<std::size_t>(count_ - index - 1) * sizeof(void*));
  data_[--count_] = nullptr;
  return true;
}

std::int32_t PtrArray::indexOf(const void* p) const {
  for (std::int32_t i = 0; i < count_; ++i)
    if (data_[i] == p) return i;
  return -1;
}

void PtrArray::clear() {
  std::free(data_);
  data_ = nullptr;
  capacity_ = count_ = 0;
}
