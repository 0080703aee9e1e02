#pragma once
// std::vector whose storage starts on a 64-byte boundary (a cache line, and
// the width of an AVX-512 register), for the arrays the vector kernels sweep:
// from malloc's 16-byte alignment, every other 32-byte access and every
// 64-byte one would straddle two cache lines.

#include <cstddef>
#include <new>
#include <vector>

namespace pelm {

template <typename T>
struct CacheLineAllocator {
  using value_type = T;
  static constexpr std::align_val_t kAlignment{64};

  CacheLineAllocator() = default;
  template <typename U>
  CacheLineAllocator(const CacheLineAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p, kAlignment); }

  template <typename U>
  bool operator==(const CacheLineAllocator<U>&) const noexcept {
    return true;
  }
};

template <typename T>
using AlignedVector = std::vector<T, CacheLineAllocator<T>>;

}  // namespace pelm
