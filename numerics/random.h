#pragma once
// Uniform random deviates on (0, 1): the minimal standard generator of Park
// and Miller (Lehmer, multiplier 16807, modulus 2^31 - 1), evaluated without
// overflow by Schrage's decomposition, with no shuffling table. One stream per
// process, so a given seed reproduces the same sea to the last bit.
//
// Clock seed: 10000*hour + 100*minute + second + 1 of the local time of day,
// or 123457 when that is not above 1 (at 00:00:00).

#include <cstdint>

#include "runtime/platform.h"

namespace pelm {

// Sets the starting point of the stream.
//   seed in 1 .. 2147483646: the stream restarts from it.
//   seed 0: the stream restarts from a clock seed. A stream never seeded
//   before stays unseeded, so the first DRNUN takes a fresh clock seed.
//   seed < 0 or 2147483647: nothing is stored; a stream never seeded before
//   takes a clock seed, one already seeded continues where it was.
void RNSEED(std::int32_t seed);

// Writes the next n deviates into u[0] .. u[n-1] and advances the stream by n.
// The first call of the process seeds an unseeded stream from the clock.
// n < 1 is reported as an error of "dRNUN" and leaves u and the stream alone.
void DRNUN(std::int32_t n, double* u);

// Returns the generator to its state at library load (unseeded, no draw yet).
// For tests only: the library itself never resets the stream.
void reset_random_stream_for_testing();

// Replaces the clock read for clock seeds; nullptr restores the machine
// clock. For tests only.
using TimeOfDaySource = TimeOfDay (*)();
void set_random_clock_for_testing(TimeOfDaySource clock);

}  // namespace pelm
