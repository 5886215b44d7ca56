#pragma once
// A growable array of pointers (the drive server's drive list, a drive's segments). It
// never owns what the pointers point to.

#include <cstdint>

class PtrArray {
 public:
  // growStep 0: a full array doubles (to 4 when empty); otherwise it grows by growStep.
  explicit PtrArray(std::int32_t growStep = 0);
  ~PtrArray();
  PtrArray(const PtrArray&) = delete;
  PtrArray& operator=(const PtrArray&) = delete;

  std::int32_t count() const { return count_; }
  std::int32_t capacity() const { return capacity_; }
  std::int32_t growStep() const { return growStep_; }
  void setGrowStep(std::int32_t growStep) { growStep_ = growStep > 0 ? growStep : 0; }
  // The elements 0 .. count() - 1 (null while the array never held any).
  void* const* data() const { return data_; }

  // Appends p; false when memory runs out (the array is then unchanged).
  bool append(void* p);
  // The element at index. An index at or beyond the count grows the array as needed and
  // raises the count to index + 1, the new elements being null. A negative index, or one
  // that cannot be grown to (beyond kMaxCount, or memory runs out), gives null and changes
  // nothing.
  void* at(std::int32_t index);
  // Stores p at index, growing like at(); false where at() gives null for lack of room.
  bool setAt(std::int32_t index, void* p);
  // Removes the element at index and moves the later ones down by one; false for an index
  // outside 0 .. count() - 1.
  bool removeAt(std::int32_t index);
  // Index of the first element equal to p, or -1.
  std::int32_t indexOf(const void* p) const;
  // Removes all elements and frees the storage.
  void clear();

  // Largest count the array grows to.
  static constexpr std::int32_t kMaxCount = std::int32_t{1} << 24;

 private:
  // Slot at index, growing as at() describes; null when that is not possible.
  void** slot(std::int32_t index);
  // Makes room for at least needed elements by the growth rule; false when impossible.
  bool reserve(std::int32_t needed);

  void** data_ = nullptr;
  std::int32_t capacity_ = 0;
  std::int32_t count_ = 0;
  std::int32_t growStep_ = 0;
};

// The same array with typed access.
template <class T>
class PtrArrayOf : public PtrArray {
 public:
  using PtrArray::PtrArray;
  bool append(T* p) { return PtrArray::append(p); }
  T* at(std::int32_t index) { return static_cast<T*>(PtrArray::at(index)); }
  bool setAt(std::int32_t index, T* p) { return PtrArray::setAt(index, p); }
};
