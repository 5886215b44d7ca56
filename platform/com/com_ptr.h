#pragma once
// ComPtr: the owner of one reference to an automation object. Copying adds a reference,
// moving hands it on, and the reference goes when the owner does, so no caller writes
// Release by hand.
//
//   ComPtr<IVelDrive> drive;
//   server->newDrive(name.get(), drive.put());       // out parameter: the owner takes it
//   ComPtr<IDispatch> disp;
//   drive.queryInterface(IID_IDispatch, &disp);
//   IVelDrive* raw = drive.detach();                  // hand the reference on by hand

#include <utility>

#include "platform/com/interfaces.h"

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Shares p: adds a reference of its own.
  explicit ComPtr(T* p) : p_(p) { addRef(); }
  ComPtr(const ComPtr& other) : p_(other.p_) { addRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~ComPtr() { release(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  // Takes over a reference the caller already owns (one handed out by a callee).
  static ComPtr adopt(T* p) {
    ComPtr owner;
    owner.p_ = p;
    return owner;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For an out parameter: drops what is held and lends the slot the callee fills.
  T** put() {
    reset();
    return &p_;
  }
  // The same slot for calls that take void** (QueryInterface, CoCreateInstance).
  void** putVoid() { return reinterpret_cast<void**>(put()); }

  // Gives up ownership without releasing: the caller now owns the reference.
  T* detach() { return std::exchange(p_, nullptr); }
  void reset() { release(); }
  void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

  // Asks the object for another interface; *out is empty unless the result is S_OK.
  template <class U>
  HRESULT queryInterface(REFIID iid, ComPtr<U>* out) const {
    if (!out) return E_POINTER;
    if (!p_) {
      out->reset();
      return E_POINTER;
    }
    return p_->QueryInterface(iid, out->putVoid());
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  void addRef() {
    if (p_) p_->AddRef();
  }
  void release() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  T* p_ = nullptr;
};
