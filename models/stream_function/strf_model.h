#pragma once
// Wave model 3, strf: a steady nonlinear regular wave of height H and period
// T on a uniform current U, represented by a stream-function series that is
// solved at set-up (strf_kinematics.cpp states the evaluation's frame).
//
// Set-up works from single-precision inputs: depth, period, height and
// current are rounded to float before it starts. The solution lives in one
// process-wide StrfSolution (strf_solution()): a process holds one
// stream-function wave at a time, and a second set-up overwrites it.
//
// Order N = number of collocation points from crest to trough, both included;
// the series has N - 1 harmonics. Every work array is sized for
// kStrfCapacity points, so 6 <= N <= 25.

#include <array>
#include <cstdint>
#include <string>

namespace pelm {

struct CommandFile;
struct LibraryState;

inline constexpr std::int32_t kStrfCapacity = 25;

struct StrfModel {
  double H = 0.0;            // wave height, crest to trough (m)
  double T = 0.0;            // wave period (s)
  double U = 0.0;            // uniform current, positive along +x (m/s)
  double order = 0.0;        // order N reached by the set-up (an integral value)
  double wave_length = 0.0;  // 2 pi / k of the final solution (m)
};

// The solved wave. In the frame moving with the crest, z' = d + z above the
// bed and theta = k x' (crest at theta = 0), the stream function is
//   psi = B0 k z' + sum_{j=1}^{N-1} Bj sinh(j k z') cos(j theta),
// with B0 k = U - c (current minus wave speed), and the surface is
//   eta = sum_{j=1}^{N-1} Ej cos(j theta)      (E0 = 0: zero mean level).
struct StrfSolution {
  double d = 0.0;  // depth (m)
  double T = 0.0;  // period (s)
  double U = 0.0;  // current (m/s)
  double h = 0.0;  // height being solved (m)
  double k = 0.0;  // wave number (rad/m)
  std::array<double, kStrfCapacity> B{};      // B[0 .. N-1]
  // B_j e^{jkd} (with the final k), the form the evaluation uses: in deep
  // water B_j underflows and cosh(j k z') overflows, while these stay finite.
  std::array<double, kStrfCapacity> Bd{};
  double k_B = 0.0;  // wave number of the evaluation that gave B
  std::array<double, kStrfCapacity + 1> E{};  // E[0 .. N]; E[N] = 0
  // Surface elevations at the collocation phases (i - 1) pi / (N - 1),
  // Y[1] crest .. Y[N] trough; Y[0] unused.
  std::array<double, kStrfCapacity + 1> Y{};
};

StrfSolution& strf_solution();

// ---- Input and set-up (strf_input.cpp, strf_setup.cpp) ----

// Reads the block "begin strf; ... end;" into `model`.
void strf_input(CommandFile*& current, StrfModel& model);

// Sets the wave up in depth `depth` (m), printing the progress table. Returns
// false, after an error line, when the input leaves nothing to solve (no
// valid period, height <= 0); stops the process when the wave breaks or the
// solver fails.
bool strf_init(StrfModel& model, double depth);

struct StrfSetupResult {
  std::int32_t order = 0;   // N reached
  float wave_length = 0.f;  // 2 pi / k (m)
};

// Solves the wave for depth d, period T, height H and current U, raising the
// order and then the height in stages; fills strf_solution(). With `print`
// the progress table is written (the breaking-ratio line always is).
StrfSetupResult strf_setup(float d, float T, float H, float U, bool print);

// Linear-theory wave on a current: period relative to the current Tr (s) and
// wave speed relative to the current c (m/s).
struct WavecelResult {
  double Tr = 0.0;
  double c = 0.0;
};
WavecelResult WAVECEL(double T, double d, double U);

// H / Hb, the ratio of the height to the breaking height in depth d for the
// relative period Tr; prints it, and stops the process when it exceeds 1.
float breaking_ratio(float H, float d, float Tr, bool print);

// The same ratio, silently and whatever its size (for a report on a wave).
float breaking_height_ratio(float H, float d, float Tr);

// Limiting steepness Hb/L0 at relative depth b = d/L0.
float breaking_steepness(float b);

// Stops the process when the surface points rise between crest and trough
// by more than 0.1 % of the height: a solution of the equations that is not
// a wave.
void strf_require_wave_profile(const StrfSolution& s, std::int32_t N);

// Number of collocation points the wave needs (even, not capped).
std::int32_t strf_order_estimate(float d, float T, float r);

// One row of the progress table; `with_length` false gives the failure row,
// which ends after the code column.
std::string strf_table_row(double d, double T, double h, double U, std::int32_t order,
                           std::int32_t iterations, double rms, std::int32_t code,
                           double wave_length, bool with_length);

// ---- Solver (strf_solver.cpp) ----

struct StrfSolveResult {
  std::int32_t iterations = 0;  // accepted Gauss-Newton steps
  double rms = 0.0;             // relative rms of the dynamic-condition residuals
  std::int32_t code = 0;        // 0 converged, 1 failed, 2 iteration limit with rms < 1e-4
};

// Solves at order N and the height strf_solution().h, starting from its k and
// E[1 .. N-1].
StrfSolveResult strf_solve(std::int32_t N);

// Residuals of the dynamic surface condition and their Jacobian at the
// unknowns X = (Y1 .. Y_{N-2}, k). Also leaves the surface points and the
// coefficients B of this evaluation in strf_solution().
struct StrfResiduals {
  std::array<double, kStrfCapacity> W{};
  std::array<std::array<double, kStrfCapacity>, kStrfCapacity> J{};  // J[i][m]
  double rms = 0.0;
  bool bad = false;  // the surface is not acceptable: no residuals
};
void strf_residuals(std::int32_t N, const double* X, StrfResiduals& out);

// The damped Gauss-Newton iteration on X (N - 1 unknowns).
StrfSolveResult strf_gauss_newton(std::int32_t N, double* X);

// Solves the M x M system a x = b in place (x returned in b) by elimination
// without pivoting; a pivot below 1e-10 stops the process.
void strf_eliminate(std::int32_t M, std::array<std::array<double, kStrfCapacity>, kStrfCapacity>& a,
                    double* b);

// ---- Evaluation (strf_kinematics.cpp) ----

struct StrfPointValues {
  float u = 0.f, w = 0.f;    // velocity, fixed frame, current included (m/s)
  float ut = 0.f, wt = 0.f;  // local time derivatives (m/s^2)
  float ax = 0.f, az = 0.f;  // total (particle) accelerations (m/s^2)
  float eta = 0.f;           // surface elevation (m)
};
StrfPointValues strf_evaluate(std::int32_t N, float x, float z, float t);

void strf_elevation(const double* pos, const StrfModel& model, const LibraryState& state,
                    double& eta);

void strf_kinematics(const StrfModel& model, const LibraryState& state, const double* pos,
                     double* vel, double* acc, double& pdyn);

}  // namespace pelm
