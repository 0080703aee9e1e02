#pragma once
// Plans of the transform kept between calls (internal to the transform).
//
// A plan is whatever a length costs to prepare (twiddle table, chirp and its
// spectrum); building one costs about as much as several transforms, so the
// recently used ones are kept. The caches are process-wide like the rest of
// the library state: every call comes from the host's one thread. They are
// bounded both in count and in bytes, so a program that transforms many
// distinct lengths keeps only the last few. The plan just asked for is kept
// while it is in use, whatever its size; trim() then drops whatever is over
// the byte limit, so a very long transform does not hold its memory after
// the call. A plan is built from its key alone, so a rebuilt plan equals the
// dropped one bit for bit.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace pelm::fft_detail {

template <class Plan>
class PlanCache {
 public:
  PlanCache(std::size_t max_plans, std::size_t max_bytes)
      : max_plans_(max_plans), max_bytes_(max_bytes) {}

  // The plan for key, built by make(key) (a std::unique_ptr<Plan>) when it is
  // not kept; it becomes the most recent. Plan::bytes() gives its size.
  template <class Make>
  Plan& get(int key, Make make) {
    for (std::size_t i = 0; i < plans_.size(); ++i) {
      if (plans_[i].first != key) continue;
      if (i > 0) {
        auto entry = std::move(plans_[i]);
        plans_.erase(plans_.begin() + static_cast<std::ptrdiff_t>(i));
        plans_.insert(plans_.begin(), std::move(entry));
      }
      return *plans_.front().second;
    }
    // Drop before building, so that the old plans and the new one are not
    // all held at once.
    while (!plans_.empty() && plans_.size() + 1 > max_plans_) plans_.pop_back();
    std::unique_ptr<Plan> plan = make(key);
    const std::size_t bytes = plan->bytes();
    while (!plans_.empty() && total_bytes() + bytes > max_bytes_) plans_.pop_back();
    plans_.insert(plans_.begin(), {key, std::move(plan)});
    return *plans_.front().second;
  }

  bool contains(int key) const {
    for (const auto& entry : plans_)
      if (entry.first == key) return true;
    return false;
  }

  // Drops the oldest plans, the most recent too if need be, until the rest
  // fit in the byte limit.
  void trim() {
    while (!plans_.empty() && total_bytes() > max_bytes_) plans_.pop_back();
  }

 private:
  std::size_t total_bytes() const {
    std::size_t sum = 0;
    for (const auto& entry : plans_) sum += entry.second->bytes();
    return sum;
  }

  std::size_t max_plans_;
  std::size_t max_bytes_;
  std::vector<std::pair<int, std::unique_ptr<Plan>>> plans_;  // most recent first
};

// Whether DFFTRF keeps the twiddle table of length n, and whether the chirp
// transform of an odd factor ip is kept (for tests of the caches).
bool length_plan_cached(int n);
bool chirp_plan_cached(int ip);

// Drops the kept chirp transforms that are over their byte limit.
void trim_chirp_plans();

// The number of lengths DFFTRF keeps at most.
inline constexpr std::size_t kCachedLengths = 4;

}  // namespace pelm::fft_detail
