#pragma once
// Wave model 4, wavemods: kinematics that another wave program computed,
// replayed from two data files by interpolation in time and depth.
//
// Frame: x, y horizontal, z up, z = 0 at still water, bed at z = z_b = -depth
// of the data (SI units). The field is uniform in the horizontal: x and y
// play no part, and there is no y-direction motion and no pressure in the
// files, so v, a_y and the dynamic pressure are always 0.
//
// The files give u, a_x (file 1) and w, a_z (file 2) on nd levels that follow
// the moving surface: level i keeps the fraction sigma_i of the water column,
// so at record j it lies at z_ji = (eta_j - z_b) sigma_i + z_b. A point at z
// keeps its own fraction s = (z - z_b)/(eta(tau) - z_b) of the column; it is
// carried to that fraction of the columns of the two records bracketing the
// look-up time tau = t + t0, interpolated linearly between the levels there,
// and then linearly in time.
//
// Records are taken to start at time 0 with a constant step, so the bracket
// comes straight from tau / T_last. Outside the data the first or the last
// record is held: tau <= time_1 answers record 1's values, tau >= T_last the
// last record's. At and above the surface, and at and below the bed, every
// output is 0.

#include <cstdint>
#include <string>
#include <vector>

namespace pelm {

struct CommandFile;
struct LibraryState;

struct WavemodsModel {
  // Input (the wavemods block).
  std::int32_t nd = 0;     // levels in the files
  std::int32_t nt = 0;     // records (discrete times) in the files
  std::int32_t ncol1 = 0;  // values per record of file 1
  std::int32_t ncol2 = 0;  // values per record of file 2
  double t0 = 0.0;         // time offset added to the simulation time (s)
  double z_bottom = 0.0;   // z_b = -depth of the data (m)
  std::string file1;       // time, eta, u, a_x
  std::string file2;       // w, a_z

  // Loaded by the set-up; every table holds record j's nd levels at [j * nd + i].
  std::vector<double> level_z;  // z_ji (m)
  std::vector<double> u;        // m/s
  std::vector<double> w;        // m/s
  std::vector<double> ax;       // m/s^2
  std::vector<double> az;       // m/s^2
  std::vector<double> time;     // time_j (s)
  std::vector<double> eta;      // eta_j (m)
  double t_last = 0.0;          // time of the last record (s)
};

// Reads the block "begin wavemods; ... end;" into `model`.
void wavemods_input(CommandFile*& current, WavemodsModel& model);

// Loads both data files. A missing or unreadable file stops the process;
// input the tables cannot be built from is refused with an error line, and
// the result is false.
bool wavemods_init(WavemodsModel& model);

// Elevation eta (m) at the current time; the same at every position.
void wavemods_elevation(const WavemodsModel& model, const LibraryState& state, double& eta);

// Velocity (m/s), acceleration (m/s^2) and dynamic pressure (0) at pos.
void wavemods_kinematics(const WavemodsModel& model, const LibraryState& state, const double* pos,
                         double* vel, double* acc, double& pdyn);

// The level interval of x in the monotone column xx[0 .. n-1] (ascending or
// descending), counted from 1: j with x between xx(j) and xx(j+1). 0 means
// before the first level and n beyond the last; x == xx(1) gives 1 and
// x == xx(n) gives n - 1, so a point exactly on an end level still has an
// interval.
std::int32_t locate_level(const double* xx, std::int32_t n, double x);

}  // namespace pelm
