#include "numerics/random.h"

#include "runtime/numeric_errors.h"

namespace pelm {
namespace {

// Minimal standard generator (Park and Miller, "Random number generators:
// good ones are hard to find", CACM 31, 1988): x <- 16807 x mod (2^31 - 1).
constexpr std::int32_t kMinstdModulus = 2147483647;
constexpr std::int32_t kMinstdMultiplier = 16807;
// Schrage: m = a*q + r with r < q keeps a*(x mod q) and r*(x div q) below m,
// so the product never leaves 32 bits.
constexpr std::int32_t kSchrageQuotient = kMinstdModulus / kMinstdMultiplier;   // 127773
constexpr std::int32_t kSchrageRemainder = kMinstdModulus % kMinstdMultiplier;  // 2836
static_assert(kSchrageQuotient == 127773 && kSchrageRemainder == 2836);
static_assert(kSchrageRemainder < kSchrageQuotient, "Schrage's decomposition needs r < q");

// The double nearest to 1/m; x in 1 .. m-1 maps into the open interval (0, 1).
constexpr double kMinstdScale = 4.656612875245797e-10;
static_assert(kMinstdScale == 1.0 / 2147483647.0);

// Seed used when the clock seed would be 1 (at midnight).
constexpr std::int32_t kFallbackSeed = 123457;

constexpr std::int32_t minstd_next(std::int32_t x) {
  x = kMinstdMultiplier * (x % kSchrageQuotient) - kSchrageRemainder * (x / kSchrageQuotient);
  return x < 0 ? x + kMinstdModulus : x;
}

// Published check value of the generator: the 10000th integer from seed 1.
constexpr std::int32_t kMinstdCheckValue = 1043618065;
constexpr std::int32_t minstd_after(std::int32_t seed, int steps) {
  for (int i = 0; i < steps; ++i) seed = minstd_next(seed);
  return seed;
}
static_assert(minstd_after(1, 10000) == kMinstdCheckValue);

struct RandomStream {
  std::int32_t x = 0;
  bool seeded = false;
  bool first_draw_done = false;
};

RandomStream& stream() {
  static RandomStream record;
  return record;
}

TimeOfDaySource& clock_source() {
  static TimeOfDaySource source = nullptr;
  return source;
}

std::int32_t clock_seed() {
  const TimeOfDay now = clock_source() ? clock_source()() : local_time_of_day();
  const std::int32_t seed = 10000 * now.hour + 100 * now.minute + now.second + 1;
  return seed > 1 ? seed : kFallbackSeed;
}

}  // namespace

void RNSEED(std::int32_t seed) {
  RandomStream& s = stream();
  if (seed < 0 || seed == kMinstdModulus) {
    if (!s.seeded) {
      s.x = clock_seed();
      s.seeded = true;
    }
  } else if (seed == 0) {
    s.x = clock_seed();
  } else {
    s.x = seed;
    s.seeded = true;
  }
}

void DRNUN(std::int32_t n, double* u) {
  if (n < 1) {
    RoutineName name("dRNUN");
    report_numeric_error(NumericErrorType::terminal,
                         "%(L1) = %(I1).  %(L1) must be greater than or equal to %(I2).", n, 1,
                         "NR");
    return;
  }
  RandomStream& s = stream();
  if (!s.first_draw_done) {
    s.first_draw_done = true;
    if (!s.seeded) {
      s.x = clock_seed();
      s.seeded = true;
    }
  }
  std::int32_t x = s.x;
  for (std::int32_t i = 0; i < n; ++i) {
    x = minstd_next(x);
    u[i] = static_cast<double>(x) * kMinstdScale;
  }
  s.x = x;
}

void reset_random_stream_for_testing() { stream() = RandomStream{}; }

void set_random_clock_for_testing(TimeOfDaySource clock) { clock_source() = clock; }

}  // namespace pelm
