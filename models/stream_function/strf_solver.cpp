// Stream-function solver: collocation between crest and trough.
//
// Notation (0-based here): points i = 0 .. N-1 at phases theta_i =
// i pi / (N - 1) from crest to trough, surface Y_i above still water,
// z'_i = d + Y_i above the bed. The unknowns X hold Y_0 .. Y_{N-3} and, last,
// k; the two remaining points follow from the height and the zero mean:
//   Y_{N-1} = Y_0 - h,   Y_{N-2} = -(0.5 (Y_0 + Y_{N-1}) + sum_{i=1}^{N-3} Y_i).
// The kinematic condition (psi equal at every surface point) is met exactly
// at every iterate by a linear solve A V = 1; the dynamic condition
// (Bernoulli) is driven to zero in the least-squares sense by damped
// Gauss-Newton with the exact Jacobian. All in double precision; every work
// array is a fixed kStrfCapacity-sized array, nothing is allocated.

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm {
namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kG = 9.81;
constexpr double kTwoG = 19.62;
constexpr int kCap = kStrfCapacity;

using Matrix = std::array<std::array<double, kCap>, kCap>;  // [row][column]
using Vector = std::array<double, kCap>;

// Orthogonal-triangular factors of A by classical Gram-Schmidt with one
// re-orthogonalisation pass; A is taken as Q R with R from the first pass.
struct Factors {
  Matrix Q{};     // Q[i][j]
  Matrix Rinv{};  // inverse of the upper-triangular R
};

void factorise(int n, const Matrix& A, Factors& f) {
  Matrix R{};
  Matrix& Q = f.Q;
  for (int j = 0; j < n; ++j) {
    Vector v{};
    for (int i = 0; i < n; ++i) v[i] = A[i][j];
    for (int l = 0; l < j; ++l) {
      double r = 0.0;
      for (int i = 0; i < n; ++i) r += Q[i][l] * A[i][j];
      R[l][j] = r;
    }
    for (int l = 0; l < j; ++l)
      for (int i = 0; i < n; ++i) v[i] -= Q[i][l] * R[l][j];
    double norm = 0.0;
    for (int i = 0; i < n; ++i) norm += v[i] * v[i];
    norm = std::sqrt(norm);
    R[j][j] = norm;
    for (int i = 0; i < n; ++i) Q[i][j] = v[i] / norm;
    // Classical Gram-Schmidt loses orthogonality on these nearly dependent
    // sinh columns; a second pass restores it.
    if (j > 0) {
      Vector c{};
      for (int l = 0; l < j; ++l)
        for (int i = 0; i < n; ++i) c[l] += Q[i][l] * Q[i][j];
      for (int l = 0; l < j; ++l)
        for (int i = 0; i < n; ++i) Q[i][j] -= Q[i][l] * c[l];
    }
  }
  // R^-1 by back substitution, column by column.
  Matrix& Ri = f.Rinv;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) Ri[i][j] = 0.0;
    Ri[j][j] = 1.0 / R[j][j];
    for (int i = j - 1; i >= 0; --i) {
      double sum = 0.0;
      for (int l = i + 1; l <= j; ++l) sum += R[i][l] * Ri[l][j];
      Ri[i][j] = -sum / R[i][i];
    }
  }
}

// The text followed by the pivot number right-aligned in 5 characters.
std::string pivot_message(const char* text, int pivot) {
  std::string line(text);
  const std::string number = std::to_string(pivot);
  line.append(number.size() < 5 ? 5 - number.size() : 0, ' ').append(number);
  return line;
}

}  // namespace

void strf_residuals(std::int32_t N, const double* X, StrfResiduals& out) {
  StrfSolution& s = strf_solution();
  const int n = N;
  const int M = N - 1;       // unknowns
  const int km = N - 2;      // column of k among the unknowns
  const double h = s.h;

  // Surface points: Y[1 .. N] of the record are points 0 .. N-1 here.
  Vector Y{};
  for (int i = 0; i < n - 2; ++i) Y[i] = X[i];
  Y[n - 1] = Y[0] - h;
  double sum = 0.5 * (Y[0] + Y[n - 1]);
  for (int i = 1; i <= n - 3; ++i) sum += Y[i];
  Y[n - 2] = -sum;
  for (int i = 0; i < n; ++i) s.Y[i + 1] = Y[i];

  // The surface may rise toward the trough by at most 5h/N between points:
  // anything steeper is an iterate that has run away, not a wave.
  out.bad = false;
  for (int i = 0; i < n - 1; ++i)
    if (Y[i] + 5.0 * h / n < Y[i + 1]) {
      out.bad = true;
      return;
    }

  const double k = X[km];
  const double omega = kTwoPi / s.T;
  const double U = s.U;
  Vector z{};
  for (int i = 0; i < n; ++i) z[i] = s.d + Y[i];

  // Per point and harmonic: cosh and sinh of j k z', and cos and sin of
  // j theta. The hyperbolic functions are carried scaled by exp(-j k d),
  //   ch = cosh(j k z') e^{-jkd} = (e^{jkY} + e^{-jk(2d+Y)}) / 2,  sh likewise,
  // so that deep water (j k d beyond 710, e.g. a 6 s wave in 1000 m) neither
  // overflows nor underflows; the matrix columns and the coefficients V_j, B_j
  // are then those of the unscaled series times e^{jkd} and e^{-jkd}, which
  // leaves the velocities, the residuals and the Jacobian unchanged (the
  // k-derivative of the scaling cancels between V and B). The powers come
  // from one exponential each, exact to a few ulp at j <= 24. The phases
  // j theta_i are multiples of pi / (N - 1), taken from one table of a turn.
  std::array<double, 2 * kCap> turn_cos{}, turn_sin{};
  const int turn = 2 * (n - 1);
  for (int m = 0; m < turn; ++m) {
    turn_cos[m] = std::cos(m * kPi / (n - 1));
    turn_sin[m] = std::sin(m * kPi / (n - 1));
  }
  Matrix ch{}, sh{}, cs{}, sn{};
  Matrix A{};
  for (int i = 0; i < n; ++i) {
    A[i][0] = k * z[i];
    const double rise = std::exp(k * Y[i]);
    const double decay = std::exp(-k * (2.0 * s.d + Y[i]));
    double p = 1.0, q = 1.0;
    for (int j = 1; j < n; ++j) {
      p *= rise;
      q *= decay;
      ch[i][j] = 0.5 * (p + q);
      sh[i][j] = 0.5 * (p - q);
      cs[i][j] = turn_cos[(j * i) % turn];
      sn[i][j] = turn_sin[(j * i) % turn];
      A[i][j] = sh[i][j] * cs[i][j];
    }
  }

  // Kinematic condition: A V = 1.
  static Factors f;  // set-up scratch, kept off the host's stack
  factorise(n, A, f);
  Vector g{}, V{};
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) g[j] += f.Q[i][j];
  for (int j = 0; j < n; ++j)
    for (int l = j; l < n; ++l) V[j] += f.Rinv[j][l] * g[l];

  const double kU_omega = k * U - omega;
  const double scale = kU_omega / (k * k * V[0]);
  // B here is scaled as V is; the record keeps both forms (see StrfSolution).
  Vector B{};
  for (int j = 0; j < n; ++j) B[j] = scale * V[j];
  for (int j = 0; j < n; ++j) {
    s.Bd[j] = B[j];
    s.B[j] = B[j] * std::exp(-j * k * s.d);
  }
  s.k_B = k;

  // Surface velocities in the frame of the crest.
  Vector u{}, w{};
  for (int i = 0; i < n; ++i) {
    double su = B[0] * k, sw = 0.0;
    for (int j = 1; j < n; ++j) {
      su += j * k * B[j] * ch[i][j] * cs[i][j];
      sw += j * k * B[j] * sh[i][j] * sn[i][j];
    }
    u[i] = su;
    w[i] = sw;
  }

  // Dynamic condition with the Bernoulli constant removed as the mean.
  Vector R{};
  double mean = 0.0;
  for (int i = 0; i < n; ++i) {
    R[i] = (u[i] * u[i] + w[i] * w[i]) / kTwoG + Y[i];
    mean += R[i];
  }
  mean /= n;
  double squares = 0.0;
  for (int i = 0; i < n; ++i) {
    out.W[i] = R[i] - mean;
    squares += out.W[i] * out.W[i];
  }
  out.rms = std::sqrt(squares / n) / h;
  // Overflowing sinh (very deep water at high order) or a singular A.
  if (!std::isfinite(out.rms)) {
    out.bad = true;
    return;
  }

  // dY_i/dX_m.
  const auto dY = [n](int i, int m) -> double {
    if (i <= n - 3) return i == m ? 1.0 : 0.0;
    if (i == n - 2) return -1.0;
    return m == 0 ? 1.0 : 0.0;
  };

  // dV/dz'_i = -A^-1 e_i (a'_i . V), with A^-1 e_i = R^-1 (row i of Q).
  Matrix dVdz{};  // [j][i]
  for (int i = 0; i < n; ++i) {
    double a_dot_v = k * V[0];
    for (int j = 1; j < n; ++j) a_dot_v += j * k * ch[i][j] * cs[i][j] * V[j];
    for (int j = 0; j < n; ++j) {
      double column = 0.0;
      for (int l = j; l < n; ++l) column += f.Rinv[j][l] * f.Q[i][l];
      dVdz[j][i] = -column * a_dot_v;
    }
  }
  // dV/dX_m: the unknown points move z' through dY; k enters A only as k z'.
  Matrix dV{};  // [j][m]
  for (int j = 0; j < n; ++j) {
    for (int m = 0; m < n - 2; ++m) {
      double d = dVdz[j][m] - dVdz[j][n - 2];
      if (m == 0) d += dVdz[j][n - 1];
      dV[j][m] = d;
    }
    double dk = 0.0;
    for (int i = 0; i < n; ++i) dk += z[i] / k * dVdz[j][i];
    dV[j][km] = dk;
  }
  // dB_j/dX_m through V and the scale s.
  Matrix dB{};  // [j][m]
  for (int m = 0; m < M; ++m) {
    double ds = -kU_omega / (k * k * V[0] * V[0]) * dV[0][m];
    if (m == km) ds += U / (k * k * V[0]) - 2.0 * kU_omega / (k * k * k * V[0]);
    for (int j = 0; j < n; ++j) dB[j][m] = scale * dV[j][m] + V[j] * ds;
  }

  for (int i = 0; i < n; ++i) {
    // du/dz' and dw/dz' at the point.
    double du_dz = 0.0, dw_dz = 0.0;
    for (int j = 1; j < n; ++j) {
      du_dz += (j * k) * (j * k) * B[j] * sh[i][j] * cs[i][j];
      dw_dz += (j * k) * (j * k) * B[j] * ch[i][j] * sn[i][j];
    }
    for (int m = 0; m < n - 2; ++m) {
      double du = k * dB[0][m], dw = 0.0;
      for (int j = 1; j < n; ++j) {
        du += j * k * dB[j][m] * ch[i][j] * cs[i][j];
        dw += j * k * dB[j][m] * sh[i][j] * sn[i][j];
      }
      const double dy = dY(i, m);
      du += dy * du_dz;
      dw += dy * dw_dz;
      out.J[i][m] = (u[i] * du + w[i] * dw) / kG + dy;
    }
    double du = B[0] + k * dB[0][km], dw = 0.0;
    for (int j = 1; j < n; ++j) {
      const double b = j * (B[j] + k * dB[j][km]);
      const double stretch = j * j * k * z[i] * B[j];
      du += b * ch[i][j] * cs[i][j] + stretch * sh[i][j] * cs[i][j];
      dw += b * sh[i][j] * sn[i][j] + stretch * ch[i][j] * sn[i][j];
    }
    out.J[i][km] = (u[i] * du + w[i] * dw) / kG;
  }
  // The residuals have their mean removed, and so do the columns.
  for (int m = 0; m < M; ++m) {
    double column_mean = 0.0;
    for (int i = 0; i < n; ++i) column_mean += out.J[i][m];
    column_mean /= n;
    for (int i = 0; i < n; ++i) out.J[i][m] -= column_mean;
  }
}

constexpr const char* kSingular =
    "*** ERROR *** Stream function solver: the normal equations are singular - process stopped";

void strf_eliminate(std::int32_t M, Matrix& a, double* b) {
  // J^T J is symmetric positive semi-definite: a vanishing pivot means a
  // rank-deficient Jacobian, from which no correction can be found.
  for (int p = 0; p < M - 1; ++p) {
    if (std::fabs(a[p][p]) < 1e-10) fatal_stop(pivot_message(" Matrix error 1: ", p + 1), kSingular);
    const double pivot = a[p][p];
    for (int q = p; q < M; ++q) a[p][q] /= pivot;
    b[p] /= pivot;
    for (int r = p + 1; r < M; ++r) {
      const double factor = a[r][p];
      for (int q = p; q < M; ++q) a[r][q] -= factor * a[p][q];
      b[r] -= factor * b[p];
    }
  }
  if (std::fabs(a[M - 1][M - 1]) < 1e-10) fatal_stop(pivot_message(" Matrix error 2: ", M), kSingular);
  b[M - 1] /= a[M - 1][M - 1];
  for (int p = M - 2; p >= 0; --p) {
    double sum = b[p];
    for (int q = p + 1; q < M; ++q) sum -= a[p][q] * b[q];
    b[p] = sum;
  }
}

StrfSolveResult strf_gauss_newton(std::int32_t N, double* X) {
  const int M = N - 1;
  double lambda = 2.0 / N;
  double previous_rms = 100.0;
  std::int32_t accepted = 0;
  Vector saved{};
  for (int m = 0; m < M; ++m) saved[m] = X[m];
  static StrfResiduals res;  // set-up scratch
  double last_rms = std::numeric_limits<double>::quiet_NaN();

  for (;;) {
    strf_residuals(N, X, res);
    if (!res.bad) last_rms = res.rms;
    // A rising residual is a reason to back off only once two steps have
    // been taken: the first steps from the linear guess may well raise it.
    if (res.bad || (res.rms > previous_rms && accepted > 1)) {
      if (lambda < 0.05) return {accepted, last_rms, 1};
      lambda *= 0.8;
      accepted = accepted > 1 ? accepted - 1 : 0;
      for (int m = 0; m < M; ++m) X[m] = saved[m];
      previous_rms = 100.0;
      continue;
    }

    Matrix normal{};
    Vector rhs{};
    for (int p = 0; p < M; ++p) {
      for (int q = 0; q < M; ++q) {
        double sum = 0.0;
        for (int i = 0; i < N; ++i) sum += res.J[i][p] * res.J[i][q];
        normal[p][q] = sum;
      }
      double sum = 0.0;
      for (int i = 0; i < N; ++i) sum += res.J[i][p] * res.W[i];
      rhs[p] = -sum;
    }
    strf_eliminate(M, normal, rhs.data());

    for (int m = 0; m < M; ++m) {
      saved[m] = X[m];
      X[m] += lambda * rhs[m];
    }
    ++accepted;
    previous_rms = res.rms;
    lambda = std::fmin(1.1 * lambda, 1.0);
    if (accepted >= 50) return {accepted, res.rms, res.rms < 1e-4 ? 2 : 1};
    if (res.rms <= 1e-6) return {accepted, res.rms, 0};
  }
}

StrfSolveResult strf_solve(std::int32_t N) {
  StrfSolution& s = strf_solution();
  std::array<double, kCap> X{};
  for (int i = 0; i < N - 2; ++i) {
    double sum = 0.0;
    for (int j = 1; j <= N - 1; ++j) sum += s.E[j] * std::cos(j * i * kPi / (N - 1));
    X[i] = sum;
  }
  X[N - 2] = s.k;

  const StrfSolveResult result = strf_gauss_newton(N, X.data());
  if (result.code == 1) return result;
  s.k = X[N - 2];

  // The evaluation uses B_j e^{jkd} with the final k.
  for (int j = 1; j < N; ++j) s.Bd[j] *= std::exp(j * s.d * (s.k - s.k_B));

  // Cosine coefficients of the surface of the last evaluation: the N points
  // from crest to trough extended evenly to 2N - 2 samples of one wave length.
  const int L = 2 * N - 2;
  const int M = N - 1;
  std::array<double, 2 * kCap> samples{};
  for (int l = 0; l < N; ++l) samples[l] = s.Y[l + 1];
  for (int l = N; l < L; ++l) samples[l] = s.Y[L - l + 1];
  for (int j = 0; j <= M; ++j) {
    double sum = 0.0;
    // j l taken modulo L keeps the cosine's argument within one turn.
    for (int l = 0; l < L; ++l) sum += samples[l] * std::cos(kTwoPi * ((j * l) % L) / L);
    s.E[j] = 2.0 / L * sum;
  }
  s.E[0] *= 0.5;
  s.E[M] *= 0.5;  // the Nyquist term: 2M = L
  s.E[N] = 0.0;
  return result;
}

}  // namespace pelm
