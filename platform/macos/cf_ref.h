// Ownership of one CoreFoundation reference.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <utility>

namespace velmora::mac {

// Owns at most one reference to a CoreFoundation object and releases it when it goes away.
// `adopt` takes over the reference that a Create or Copy function handed out; `retain` takes a
// reference of its own to an object borrowed from a Get function. Copies retain, moves do not.
template <typename T>
class CFRef {
 public:
  CFRef() = default;
  CFRef(const CFRef& other) : ref_(other.ref_) {
    if (ref_ != nullptr) CFRetain(ref_);
  }
  CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
  CFRef& operator=(CFRef other) noexcept {
    std::swap(ref_, other.ref_);
    return *this;
  }
  ~CFRef() { reset(); }

  [[nodiscard]] static CFRef adopt(T ref) { return CFRef(ref); }
  [[nodiscard]] static CFRef retain(T ref) {
    if (ref != nullptr) CFRetain(ref);
    return CFRef(ref);
  }

  [[nodiscard]] T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

  void reset() {
    if (ref_ != nullptr) CFRelease(ref_);
    ref_ = nullptr;
  }

  // The empty place for a Copy function's out-parameter; what the function stores there is then
  // owned by this object.
  [[nodiscard]] T* out() {
    reset();
    return &ref_;
  }

 private:
  explicit CFRef(T ref) : ref_(ref) {}

  T ref_ = nullptr;
};

}  // namespace velmora::mac
