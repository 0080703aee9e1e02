#pragma once
// Wave model 2, det_airy: the linear sea that replays a measured elevation
// record. The record, sampled at the origin, is transformed once at set-up;
// every Fourier coefficient inside the energy band becomes one linear
// component travelling along +x, and the field is then evaluated as the
// irregular sea's is (direct sum, or the precomputed grid).
//
// Frame and conventions are those of the linear field (irregular_model.h):
// eta = sum A sin(omega t - k x + phi), z up from still water, bed at -h.
// Time: host time t = 0 plays the first sample, whatever time the record
// gives it; at x = 0 and t = n T / N (n = 0 .. N-1, T = time_N - time_1) the
// elevation is sample n + 1 less the record mean and less the bins outside
// the band, for odd N (the top bin N/2 of an even record is built like the
// others and so comes in at twice its share). The field repeats with period T.

#include <cstdint>
#include <string>

#include "models/irregular/irregular_model.h"

namespace pelm {

struct CommandFile;
struct LibraryState;

struct DetModel {
  std::string file_name;                // elevation record (as read: lower case, at most 64 characters)
  std::int32_t sample_count = 0;        // N
  std::int32_t skip_lines = 0;          // header lines skipped unread
  std::int32_t time_column = 1;         // 1-based position of the time in a record
  std::int32_t elevation_column = 2;    // and of the elevation (m)
  double record_length = 0.0;           // T = time_N - time_1 (s), from the set-up
  double cutoff_fraction = 1e-05;       // share of the energy dropped at each end of the spectrum
  // The linear field: its stretching option, precompute flag and grid come
  // from the block; its components from the set-up.
  IregModel field;
};

// Reads the block "begin det_airy; ... end;" into `model`.
void det_airy_input(CommandFile*& current, DetModel& model);

// Reads the record, extracts the components and, with pregen 1, builds the
// grid for the host window. False (after an error line) when the input
// cannot give a sea; a record file that cannot be read stops the process.
bool det_airy_init(DetModel& model, LibraryState& state, double t_start, double t_end);

}  // namespace pelm
