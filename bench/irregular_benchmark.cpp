// The irregular sea (ireg_airy) against a straightforward evaluation written
// here, side by side in one run, for a 200- and a 1000-component sea.
//
//   BM_Reference_Elevation/N   per point: sum of A sin(alpha), with cos and
//                              sin of every direction recomputed per call.
//   BM_Direct_Elevation/N/P    per point: the library's direct sum on kernel
//                              path P (1 SSE2, 2 AVX2 with FMA, 3 AVX-512),
//                              forced.
//   BM_Reference_Kinematics/N  per point, Wheeler stretching: the elevation as
//                              above, then per component sin and cos of the
//                              phase, cosh(k zs), sinh(k zs), sinh(kh),
//                              cosh(kh), omega^2 and the direction's cosine
//                              and sine, all recomputed at every call.
//   BM_Direct_Kinematics/N/P   per point: the library's direct sum (elevation
//                              included, as the host's call does).
//   BM_Grid_Lookup/N           per point: elevation and kinematics from the
//                              default grid over a 600 s window.
//   BM_Grid_Lookup_3h/N        the same on the three-hour grid, query times
//                              spread over all three hours.
//   BM_Reference_Grid_Build/N  a straightforward build of the 600 s grid that
//                              keeps eta, A sin(alpha) and A cos(alpha) of
//                              every component at every node, then sums the
//                              kinematics component by component.
//   BM_Grid_Build/N/P          the library's build of the same grid, path P.
//   BM_Setup_Memory/N          the whole set-up of a three-hour sea (t_end =
//                              10800 s, dt = 0.1 s) on the default grid, once:
//                              peak and retained heap beside the tables the
//                              straightforward layout needs for that grid.
//
// Every sea is set up by ireg_airy_init: JONSWAP Hs 4 m, Tp 10 s, gamma 3.3,
// cos^8 spreading, Wheeler stretching, depth 50 m, seed 7. Query points come
// from a ring of 256 points at different times, all below the lowest trough,
// so every call does the full sum and nothing can be hoisted out of the loop.
//
// Heap use is counted by replacing the global operator new and delete in
// this program: the current and the peak number of bytes handed out.
//
// Before the runs, the straightforward evaluation and build are checked
// against the library on every query point and every grid node, so that both
// sides of a ratio compute the same thing. The set-up writes its diagnostic
// record fort.98 into the working folder: the program works in a fresh
// temporary folder, removed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <unistd.h>

#include "interface/library_state.h"
#include "models/irregular/field_kernels.h"
#include "models/irregular/irregular_model.h"
#include "models/irregular/linear_field.h"
#include "models/irregular/wave_field_grid.h"
#include "numerics/constants.h"
#include "runtime/console.h"

// ---------------------------------------------------------------------------
// Heap counting. Each block carries a header in front of the caller's bytes
// holding its size and the header length, so that delete knows what it
// returns whichever form of delete is used.

namespace {

std::atomic<std::size_t> g_heap_current{0};
std::atomic<std::size_t> g_heap_peak{0};

constexpr std::size_t kHeader = alignof(std::max_align_t);  // room for two size_t, keeps alignment

void* counted_allocate(std::size_t size, std::size_t alignment) {
  const std::size_t header = std::max(kHeader, alignment);
  void* raw = alignment > kHeader
                  ? std::aligned_alloc(alignment, (header + size + alignment - 1) / alignment * alignment)
                  : std::malloc(header + size);
  if (raw == nullptr) return nullptr;
  char* user = static_cast<char*>(raw) + header;
  const std::size_t record[2] = {size, header};
  std::memcpy(user - sizeof record, record, sizeof record);
  const std::size_t now = g_heap_current.fetch_add(size, std::memory_order_relaxed) + size;
  std::size_t peak = g_heap_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_heap_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
  return user;
}

void* counted_allocate_or_throw(std::size_t size, std::size_t alignment) {
  void* p = counted_allocate(size == 0 ? 1 : size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void counted_release(void* user) noexcept {
  if (user == nullptr) return;
  std::size_t record[2];
  std::memcpy(record, static_cast<char*>(user) - sizeof record, sizeof record);
  g_heap_current.fetch_sub(record[0], std::memory_order_relaxed);
  std::free(static_cast<char*>(user) - record[1]);
}

}  // namespace

void* operator new(std::size_t size) { return counted_allocate_or_throw(size, kHeader); }
void* operator new[](std::size_t size) { return counted_allocate_or_throw(size, kHeader); }
void* operator new(std::size_t size, std::align_val_t a) {
  return counted_allocate_or_throw(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
  return counted_allocate_or_throw(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted_allocate(size == 0 ? 1 : size, kHeader);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted_allocate(size == 0 ? 1 : size, kHeader);
}
void operator delete(void* p) noexcept { counted_release(p); }
void operator delete[](void* p) noexcept { counted_release(p); }
void operator delete(void* p, std::size_t) noexcept { counted_release(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_release(p); }
void operator delete(void* p, std::align_val_t) noexcept { counted_release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { counted_release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { counted_release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { counted_release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { counted_release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { counted_release(p); }

namespace {

using pelm::IregModel;
using pelm::LibraryState;
using pelm::PregenGrid;
using pelm::WaveComponent;

constexpr double kMiB = 1024.0 * 1024.0;

// Heap bytes taken by `work` at its peak above what was in use before it, and
// what it leaves in use.
struct HeapUse {
  double peak_bytes = 0.0;
  double retained_bytes = 0.0;
};

template <typename Work>
HeapUse measure_heap(Work&& work) {
  const std::size_t before = g_heap_current.load();
  g_heap_peak.store(before);
  work();
  return HeapUse{static_cast<double>(g_heap_peak.load() - before),
                 static_cast<double>(g_heap_current.load()) - static_cast<double>(before)};
}

// ---------------------------------------------------------------------------
// The seas.

constexpr double kDepth = 50.0;           // m
constexpr double kWindow = 600.0;         // s, host window of the evaluation seas
constexpr double kThreeHours = 10800.0;   // s
constexpr double kHostStep = 0.1;         // s
const std::vector<std::int64_t> kComponentCounts = {200, 1000};

LibraryState& lib() {
  static LibraryState& state = [] () -> LibraryState& {
    static LibraryState s;
    s.depth = kDepth;
    return s;
  }();
  return state;
}

std::unique_ptr<IregModel> new_model(int n, bool precompute) {
  auto m = std::make_unique<IregModel>();
  m->stretching = 1;
  m->spectrum = 1;
  m->jonswap = std::array<double, 3>{4.0, 10.0, 3.3};
  m->component_count = n;
  m->seed = 7;
  m->spreading = 1;
  m->spreading_exponent = 4;
  m->precompute = precompute;
  if (precompute) m->grid = std::make_unique<PregenGrid>();
  return m;
}

// Seas set up once and shared by the benchmarks, by (N, t_end, precompute).
using SeaKey = std::tuple<int, double, bool>;
std::map<SeaKey, std::unique_ptr<IregModel>>& sea_cache() {
  static std::map<SeaKey, std::unique_ptr<IregModel>> cache;
  return cache;
}

IregModel& sea(int n, double t_end, bool precompute) {
  auto& slot = sea_cache()[SeaKey{n, t_end, precompute}];
  if (!slot) {
    auto m = new_model(n, precompute);
    if (!pelm::ireg_airy_init(*m, lib(), 0.0, t_end, kHostStep)) {
      std::fprintf(stderr, "set-up of the %d-component sea failed\n", n);
      std::exit(1);
    }
    slot = std::move(m);
  }
  return *slot;
}

// ---------------------------------------------------------------------------
// Query points: a ring of points and times. Depths from 10 m to 48 m below
// still water stay under the troughs of this sea (checked before the runs).

struct Query {
  double t;
  double pos[3];
};

constexpr std::size_t kQueries = 256;  // a power of two, indexed with a mask

std::vector<Query> make_queries(double window) {
  std::mt19937_64 random(2024);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Query> q(kQueries);
  for (Query& p : q) {
    p.t = window * unit(random);
    p.pos[0] = -50.0 + 100.0 * unit(random);
    p.pos[1] = -30.0 + 60.0 * unit(random);
    p.pos[2] = -48.0 + 38.0 * unit(random);
  }
  return q;
}

const std::vector<Query>& queries() {
  static const std::vector<Query> q = make_queries(kWindow);
  return q;
}

const std::vector<Query>& three_hour_queries() {
  static const std::vector<Query> q = make_queries(kThreeHours);
  return q;
}

// ---------------------------------------------------------------------------
// Straightforward evaluation: every per-component quantity is recomputed at
// every call from the WaveComponent records.

double reference_elevation(const std::vector<WaveComponent>& components, double t, double x,
                           double y) {
  double eta = 0.0;
  for (const WaveComponent& c : components) {
    const double alpha =
        c.omega * t - c.k * (x * std::cos(c.direction) + y * std::sin(c.direction)) + c.phase;
    eta += c.amplitude * std::sin(alpha);
  }
  return eta;
}

void reference_kinematics(const std::vector<WaveComponent>& components, int stretching, double h,
                          double t, const double* pos, double* vel, double* acc, double& pdyn) {
  const double x = pos[0], y = pos[1], z = pos[2];
  for (int i = 0; i < 3; ++i) vel[i] = acc[i] = 0.0;
  pdyn = 0.0;
  const double eta = reference_elevation(components, t, x, y);
  const double z_top = stretching == 1 ? eta : 0.0;
  if (z > z_top || z < -h) return;
  const double zs = stretching == 1 ? (z + h) / (eta / h + 1.0) : z + h;
  const double rho_g = LibraryState::density * LibraryState::gravity;
  for (const WaveComponent& c : components) {
    const double cos_dir = std::cos(c.direction);
    const double sin_dir = std::sin(c.direction);
    const double alpha = c.omega * t - c.k * (x * cos_dir + y * sin_dir) + c.phase;
    const double sin_a = std::sin(alpha);
    const double cos_a = std::cos(alpha);
    const double cz = std::cosh(c.k * zs);
    const double sz = std::sinh(c.k * zs);
    const double sh = std::sinh(c.k * h);
    const double ch = std::cosh(c.k * h);
    const double omega2 = c.omega * c.omega;
    const double uh = c.omega * cz / sh * c.amplitude * sin_a;
    vel[0] += uh * cos_dir;
    vel[1] += uh * sin_dir;
    vel[2] += c.omega * sz / sh * c.amplitude * cos_a;
    const double ah = omega2 * cz / sh * c.amplitude * cos_a;
    acc[0] += ah * cos_dir;
    acc[1] += ah * sin_dir;
    acc[2] -= omega2 * sz / sh * c.amplitude * sin_a;
    pdyn += rho_g * cz / ch * c.amplitude * sin_a;
  }
}

// Straightforward grid on the nodes of a library grid: a surface record per
// node (eta, then A sin(alpha) of every component, then A cos(alpha)), and
// the kinematics summed component by component, level by level.
struct ReferenceGrid {
  std::size_t nt = 0, ny = 0, nz = 0, n = 0;
  std::vector<double> surface;     // record of 2n + 1 doubles at [(i * ny + j) * (2n + 1)]
  std::vector<double> kinematics;  // 7 doubles at [((i * ny + j) * nz + l) * 7]
};

ReferenceGrid reference_build(const std::vector<WaveComponent>& components, const PregenGrid& nodes,
                              double h) {
  ReferenceGrid r;
  r.nt = static_cast<std::size_t>(nodes.nt);
  r.ny = static_cast<std::size_t>(nodes.ny);
  r.nz = static_cast<std::size_t>(nodes.nz);
  r.n = components.size();
  const std::size_t record = 2 * r.n + 1;
  r.surface.assign(r.nt * r.ny * record, 0.0);
  r.kinematics.assign(r.nt * r.ny * r.nz * 7, 0.0);

  for (std::size_t j = 0; j < r.ny; ++j) {
    const double y = static_cast<double>(j) * nodes.dy - (nodes.ny - 1) * 0.5 * nodes.dy;
    for (std::size_t i = 0; i < r.nt; ++i) {
      const double t = nodes.t_first + static_cast<double>(i) * nodes.dt_grid;
      double* rec = &r.surface[(i * r.ny + j) * record];
      for (std::size_t c = 0; c < r.n; ++c) {
        const WaveComponent& w = components[c];
        const double alpha = t * w.omega - w.k * y * std::sin(w.direction) + w.phase;
        rec[1 + c] = w.amplitude * std::sin(alpha);
        rec[1 + r.n + c] = w.amplitude * std::cos(alpha);
        rec[0] += rec[1 + c];
      }
    }
  }
  const double rho_g = LibraryState::density * LibraryState::gravity;
  for (std::size_t c = 0; c < r.n; ++c) {
    const WaveComponent& w = components[c];
    const double cos_dir = std::cos(w.direction);
    const double sin_dir = std::sin(w.direction);
    for (std::size_t l = 0; l < r.nz; ++l) {
      const double zs = h * std::sin(static_cast<double>(l) * pelm::kPi / (2.0 * (nodes.nz - 1)));
      const double cz = std::cosh(w.k * zs);
      const double sz = std::sinh(w.k * zs);
      const double sh = std::sinh(w.k * h);
      const double ch = std::cosh(w.k * h);
      for (std::size_t j = 0; j < r.ny; ++j) {
        for (std::size_t i = 0; i < r.nt; ++i) {
          const double* rec = &r.surface[(i * r.ny + j) * record];
          const double a_sin = rec[1 + c];
          const double a_cos = rec[1 + r.n + c];
          double* out = &r.kinematics[((i * r.ny + j) * r.nz + l) * 7];
          const double uh = w.omega * cz / sh * a_sin;
          out[0] += uh * cos_dir;
          out[1] += uh * sin_dir;
          out[2] += w.omega * sz / sh * a_cos;
          const double ah = w.omega * w.omega * cz / sh * a_cos;
          out[3] += ah * cos_dir;
          out[4] += ah * sin_dir;
          out[5] -= w.omega * w.omega * sz / sh * a_sin;
          out[6] += rho_g * cz / ch * a_sin;
        }
      }
    }
  }
  return r;
}

// Doubles of the straightforward tables for a grid of these dimensions.
double straightforward_table_bytes(const PregenGrid& g, std::size_t n) {
  const double nodes = static_cast<double>(g.nt) * g.ny;
  return (nodes * (2.0 * static_cast<double>(n) + 1.0) + 7.0 * nodes * g.nz) * sizeof(double);
}

// A fresh grid record for the window's nodes: the time step the set-up
// derived, the other inputs at their defaults.
std::unique_ptr<PregenGrid> fresh_grid(const PregenGrid& built) {
  auto g = std::make_unique<PregenGrid>();
  g->dt_grid = built.dt_grid;
  return g;
}

// ---------------------------------------------------------------------------
// Benchmarks.

// Forces the kernel path of the benchmark's second argument; false (the run
// skipped) when this processor cannot run it.
bool force_path(benchmark::State& state) {
  const auto path = static_cast<pelm::FieldPath>(state.range(1));
  if (pelm::select_field_path(path)) return true;
  state.SkipWithError("this processor cannot run the path");
  return false;
}

void per_point(benchmark::State& state, std::int64_t components) {
  state.SetItemsProcessed(state.iterations());
  if (components > 0)
    state.counters["per_component"] = benchmark::Counter(
        static_cast<double>(components),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Reference_Elevation(benchmark::State& state) {
  const IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, false);
  const auto& q = queries();
  std::size_t k = 0;
  for (auto _ : state) {
    const Query& p = q[k++ & (kQueries - 1)];
    double eta = reference_elevation(m.components, p.t, p.pos[0], p.pos[1]);
    benchmark::DoNotOptimize(eta);
  }
  per_point(state, state.range(0));
}

void BM_Direct_Elevation(benchmark::State& state) {
  if (!force_path(state)) return;
  const IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, false);
  LibraryState& s = lib();
  const auto& q = queries();
  std::size_t k = 0;
  for (auto _ : state) {
    const Query& p = q[k++ & (kQueries - 1)];
    s.time = p.t;
    double eta = 0.0;
    pelm::linear_field_elevation(p.pos, m, s, eta);
    benchmark::DoNotOptimize(eta);
  }
  per_point(state, state.range(0));
}

void BM_Reference_Kinematics(benchmark::State& state) {
  const IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, false);
  const auto& q = queries();
  std::size_t k = 0;
  double vel[3], acc[3], pdyn;
  for (auto _ : state) {
    const Query& p = q[k++ & (kQueries - 1)];
    reference_kinematics(m.components, m.stretching, kDepth, p.t, p.pos, vel, acc, pdyn);
    benchmark::DoNotOptimize(vel);
    benchmark::DoNotOptimize(acc);
    benchmark::DoNotOptimize(pdyn);
    benchmark::ClobberMemory();
  }
  per_point(state, state.range(0));
}

void BM_Direct_Kinematics(benchmark::State& state) {
  if (!force_path(state)) return;
  const IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, false);
  LibraryState& s = lib();
  const auto& q = queries();
  std::size_t k = 0;
  double vel[3], acc[3], pdyn;
  for (auto _ : state) {
    const Query& p = q[k++ & (kQueries - 1)];
    s.time = p.t;
    pelm::linear_field_kinematics(m, s, p.pos, vel, acc, pdyn);
    benchmark::DoNotOptimize(vel);
    benchmark::DoNotOptimize(acc);
    benchmark::DoNotOptimize(pdyn);
    benchmark::ClobberMemory();
  }
  per_point(state, state.range(0));
}

// Elevation and kinematics at a point, as a host asks for both.
void grid_lookup_loop(benchmark::State& state, const IregModel& m, const std::vector<Query>& q) {
  LibraryState& s = lib();
  std::size_t k = 0;
  double eta, vel[3], acc[3], pdyn;
  for (auto _ : state) {
    const Query& p = q[k++ & (kQueries - 1)];
    s.time = p.t;
    pelm::linear_field_elevation(p.pos, m, s, eta);
    pelm::linear_field_kinematics(m, s, p.pos, vel, acc, pdyn);
    benchmark::DoNotOptimize(eta);
    benchmark::DoNotOptimize(vel);
    benchmark::DoNotOptimize(acc);
    benchmark::DoNotOptimize(pdyn);
    benchmark::ClobberMemory();
  }
  per_point(state, 0);
}

void BM_Grid_Lookup(benchmark::State& state) {
  grid_lookup_loop(state, sea(static_cast<int>(state.range(0)), kWindow, true), queries());
}

void BM_Grid_Lookup_3h(benchmark::State& state) {
  grid_lookup_loop(state, sea(static_cast<int>(state.range(0)), kThreeHours, true),
                   three_hour_queries());
}

void BM_Reference_Grid_Build(benchmark::State& state) {
  const IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, true);
  HeapUse heap;
  for (auto _ : state) {
    heap = measure_heap([&] {
      ReferenceGrid r = reference_build(m.components, *m.grid, kDepth);
      benchmark::DoNotOptimize(r.kinematics.data());
      benchmark::ClobberMemory();
    });
  }
  state.counters["peak_MiB"] = heap.peak_bytes / kMiB;
  state.counters["nt"] = m.grid->nt;
}

void BM_Grid_Build(benchmark::State& state) {
  if (!force_path(state)) return;
  IregModel& m = sea(static_cast<int>(state.range(0)), kWindow, true);
  HeapUse heap;
  for (auto _ : state) {
    // The previous grid is released before the count starts.
    m.grid = fresh_grid(*m.grid);
    heap = measure_heap([&] {
      // The time step is already set, so the highest frequency goes unused.
      if (!pelm::build_wave_field_grid(m, lib(), 0.0, kWindow, 0.0))
        state.SkipWithError("grid build refused");
      benchmark::ClobberMemory();
    });
  }
  state.counters["peak_MiB"] = heap.peak_bytes / kMiB;
  state.counters["nt"] = m.grid->nt;
}

void BM_Setup_Memory(benchmark::State& state) {
  pelm::select_field_path(pelm::FieldPath::automatic);
  const int n = static_cast<int>(state.range(0));
  HeapUse heap;
  std::unique_ptr<IregModel> m;
  for (auto _ : state) {
    m = new_model(n, true);
    heap = measure_heap([&] {
      if (!pelm::ireg_airy_init(*m, lib(), 0.0, kThreeHours, kHostStep))
        state.SkipWithError("set-up refused");
    });
  }
  if (!m || !m->grid) return;
  const PregenGrid& g = *m->grid;
  state.counters["peak_MiB"] = heap.peak_bytes / kMiB;
  state.counters["retained_MiB"] = heap.retained_bytes / kMiB;
  state.counters["straightforward_MiB"] = straightforward_table_bytes(g, m->components.size()) / kMiB;
  state.counters["nt"] = g.nt;
  state.counters["nz"] = g.nz;
  state.counters["ny"] = g.ny;
  // The three-hour look-up benchmark reuses this sea.
  sea_cache()[SeaKey{n, kThreeHours, true}] = std::move(m);
}

void components_arg(benchmark::internal::Benchmark* b) {
  for (auto n : kComponentCounts) b->Arg(n);
}

constexpr std::int64_t kSse2 = static_cast<std::int64_t>(pelm::FieldPath::sse2);
constexpr std::int64_t kAvx2 = static_cast<std::int64_t>(pelm::FieldPath::avx2);
constexpr std::int64_t kAvx512 = static_cast<std::int64_t>(pelm::FieldPath::avx512);

void components_and_paths(benchmark::internal::Benchmark* b) {
  for (auto n : kComponentCounts)
    for (auto path : {kSse2, kAvx2, kAvx512}) b->Args({n, path});
}

BENCHMARK(BM_Reference_Elevation)->Apply(components_arg);
BENCHMARK(BM_Direct_Elevation)->Apply(components_and_paths);
BENCHMARK(BM_Reference_Kinematics)->Apply(components_arg);
BENCHMARK(BM_Direct_Kinematics)->Apply(components_and_paths);
BENCHMARK(BM_Grid_Lookup)->Apply(components_arg);
BENCHMARK(BM_Reference_Grid_Build)->Apply(components_arg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grid_Build)->Apply(components_and_paths)->Unit(benchmark::kMillisecond);
// One set-up of a three-hour sea takes seconds: a single iteration.
BENCHMARK(BM_Setup_Memory)->Apply(components_arg)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grid_Lookup_3h)->Apply(components_arg);

// ---------------------------------------------------------------------------
// Agreement of the straightforward code with the library, before any timing.

// Largest |a - b| relative to the largest |b| over a set of values.
struct Deviation {
  double max_diff = 0.0;
  double max_ref = 0.0;
  void add(double ours, double ref) {
    max_diff = std::max(max_diff, std::abs(ours - ref));
    max_ref = std::max(max_ref, std::abs(ref));
  }
  double relative() const { return max_ref > 0.0 ? max_diff / max_ref : max_diff; }
};

// Both sides sum the same terms in the same order; they differ in how the
// depth functions are formed (cosh/sinh against exponentials), a few
// rounding errors per term. 1e-10 of the largest value leaves room for a
// thousand terms of either sign and catches any wrong factor or term.
constexpr double kAgreement = 1e-10;

bool report(const char* what, int n, const Deviation& d) {
  const bool ok = d.max_ref > 0.0 && d.relative() <= kAgreement;
  std::fprintf(stderr, "  %-34s N = %4d: max |difference| / max |value| = %.2e%s\n", what, n,
               d.relative(), ok ? "" : "  ** TOO LARGE or all zero **");
  return ok;
}

bool check_against_library(int n) {
  bool ok = true;
  const IregModel& direct = sea(n, kWindow, false);
  LibraryState& s = lib();
  Deviation eta_dev, vel_dev[3], acc_dev[3], p_dev;
  for (const Query& p : queries()) {
    s.time = p.t;
    const double ref_eta = reference_elevation(direct.components, p.t, p.pos[0], p.pos[1]);
    if (!(p.pos[2] < ref_eta)) {
      std::fprintf(stderr, "  query point at z = %g is above the surface %g\n", p.pos[2], ref_eta);
      ok = false;
    }
    double eta = 0.0;
    pelm::linear_field_elevation(p.pos, direct, s, eta);
    eta_dev.add(eta, ref_eta);
    double vel[3], acc[3], pdyn, rvel[3], racc[3], rpdyn;
    pelm::linear_field_kinematics(direct, s, p.pos, vel, acc, pdyn);
    reference_kinematics(direct.components, direct.stretching, kDepth, p.t, p.pos, rvel, racc, rpdyn);
    for (int i = 0; i < 3; ++i) {
      vel_dev[i].add(vel[i], rvel[i]);
      acc_dev[i].add(acc[i], racc[i]);
    }
    p_dev.add(pdyn, rpdyn);
  }
  ok &= report("direct elevation", n, eta_dev);
  const char* axis[3] = {"x", "y", "z"};
  for (int i = 0; i < 3; ++i) {
    ok &= report((std::string("direct velocity ") + axis[i]).c_str(), n, vel_dev[i]);
    ok &= report((std::string("direct acceleration ") + axis[i]).c_str(), n, acc_dev[i]);
  }
  ok &= report("direct dynamic pressure", n, p_dev);

  const IregModel& gridded = sea(n, kWindow, true);
  const PregenGrid& g = *gridded.grid;
  const ReferenceGrid r = reference_build(gridded.components, g, kDepth);
  Deviation grid_eta, grid_values[7];
  for (std::size_t node = 0; node < r.nt * r.ny; ++node) {
    grid_eta.add(g.eta[node], r.surface[node * (2 * r.n + 1)]);
    for (std::size_t l = 0; l < r.nz; ++l)
      for (std::size_t v = 0; v < 7; ++v)
        grid_values[v].add(g.kinematics[(node * r.nz + l) * 7 + v],
                           r.kinematics[(node * r.nz + l) * 7 + v]);
  }
  ok &= report("grid elevation table", n, grid_eta);
  const char* names[7] = {"u", "v", "w", "ax", "ay", "az", "p"};
  for (int v = 0; v < 7; ++v)
    ok &= report((std::string("grid kinematics table ") + names[v]).c_str(), n, grid_values[v]);
  return ok;
}

// ---------------------------------------------------------------------------
// Console output as usual; the CPU times and counters of every run are kept
// by name for the side-by-side figures printed at the end. CPU time rather
// than wall time: on a shared machine it leaves out the time the process was
// waiting for a core, which falls unevenly on the two sides of a ratio.

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a captured run reads as plain text.
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.error_occurred) continue;
      // With --benchmark_repetitions the median stands for the run.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      Kept& k = kept_[run.run_name.function_name + "/" + run.run_name.args];
      if (k.median && !median) continue;
      k.median = median;
      k.time = run.GetAdjustedCPUTime();
      for (const auto& [name, counter] : run.counters) k.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void print_summary() const {
    std::printf("\nSide by side, same run, CPU time (reference = straightforward code in this\n"
                "file; medians when repeated):\n");
    for (auto n : kComponentCounts) {
      std::printf("  N = %lld\n", static_cast<long long>(n));
      paths("elevation per point", "BM_Reference_Elevation", "BM_Direct_Elevation", n, "ns");
      paths("kinematics per point", "BM_Reference_Kinematics", "BM_Direct_Kinematics", n, "ns");
      paths("grid build, 600 s window", "BM_Reference_Grid_Build", "BM_Grid_Build", n, "ms");
      const Kept* ref_eta = find("BM_Reference_Elevation", n);
      const Kept* ref_kin = find("BM_Reference_Kinematics", n);
      if (const Kept* lookup = find("BM_Grid_Lookup", n); lookup && ref_eta && ref_kin)
        std::printf("    grid look-up per point (600 s grid): %.1f ns, straightforward elevation and "
                    "kinematics / look-up = %.0f\n",
                    lookup->time, (ref_eta->time + ref_kin->time) / lookup->time);
      if (const Kept* lookup = find("BM_Grid_Lookup_3h", n))
        std::printf("    grid look-up per point (3 h grid):   %.1f ns\n", lookup->time);
      if (const Kept* mem = find("BM_Setup_Memory", n))
        std::printf("    3 h set-up: peak %.1f MiB, retained %.1f MiB; straightforward tables %.1f MiB "
                    "(nt = %.0f); set-up CPU time %.0f ms\n",
                    counter(*mem, "peak_MiB"), counter(*mem, "retained_MiB"),
                    counter(*mem, "straightforward_MiB"), counter(*mem, "nt"), mem->time);
    }
    const Kept* small = find("BM_Grid_Lookup", kComponentCounts.front());
    const Kept* large = find("BM_Grid_Lookup", kComponentCounts.back());
    if (small != nullptr && large != nullptr)
      std::printf("  grid look-up, N = %lld / N = %lld: %.2f\n",
                  static_cast<long long>(kComponentCounts.back()),
                  static_cast<long long>(kComponentCounts.front()), large->time / small->time);
  }

 private:
  struct Kept {
    bool median = false;
    double time = 0.0;
    std::map<std::string, double> counters;
  };

  const Kept* find(const char* function, std::int64_t n) const {
    const auto it = kept_.find(std::string(function) + "/" + std::to_string(n));
    return it == kept_.end() ? nullptr : &it->second;
  }

  static double counter(const Kept& k, const char* name) {
    const auto it = k.counters.find(name);
    return it == k.counters.end() ? std::nan("") : it->second;
  }

  const Kept* find(const char* function, std::int64_t n, std::int64_t path) const {
    const auto it = kept_.find(std::string(function) + "/" + std::to_string(n) + "/" + std::to_string(path));
    return it == kept_.end() ? nullptr : &it->second;
  }

  // The reference, then each path: its time, per component where that is
  // the unit, and its ratios to the reference and to the SSE2 path.
  void paths(const char* what, const char* reference, const char* ours, std::int64_t n,
             const char* unit) const {
    const Kept* r = find(reference, n);
    const Kept* sse2 = find(ours, n, kSse2);
    if (r == nullptr || sse2 == nullptr) return;
    std::printf("    %-26s reference %10.1f %s\n", what, r->time, unit);
    for (auto [path, name] : {std::pair{kSse2, "sse2"}, std::pair{kAvx2, "avx2"}, std::pair{kAvx512, "avx512"}}) {
      const Kept* o = find(ours, n, path);
      if (o == nullptr) continue;
      const bool per_component = std::string_view(unit) == "ns";
      std::printf("      %-5s %10.1f %s%s", name, o->time, unit, per_component ? "" : "\n");
      if (per_component) std::printf(" (%.2f ns per component)", o->time / static_cast<double>(n));
      if (per_component) std::printf("\n");
      std::printf("            reference / %s = %6.2f, sse2 / %s = %5.2f\n", name, r->time / o->time,
                  name, sse2->time / o->time);
    }
  }

  std::map<std::string, Kept> kept_;
};

// The set-up's progress lines would be repeated at every grid build: keep
// only the other lines (errors), on standard error.
void quiet_console() {
  pelm::set_console_sink([](std::string_view line) {
    if (line.starts_with("In Pelm_dll")) return;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  });
}

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("pelm_bench_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::filesystem::path path_, previous_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  int status = 0;
  {
    ScratchFolder scratch;
    quiet_console();
    std::fprintf(stderr, "Straightforward code against the library:\n");
    bool agree = true;
    for (auto n : kComponentCounts) agree &= check_against_library(static_cast<int>(n));
    if (!agree) {
      std::fprintf(stderr, "The straightforward code and the library disagree: no timing.\n");
      status = 1;
    } else {
      pelm::select_field_path(pelm::FieldPath::automatic);
      std::printf("Kernel path chosen by the CPU check: %s\n",
                  pelm::field_path_name(pelm::active_field_path()));
      RatioReporter reporter;
      benchmark::RunSpecifiedBenchmarks(&reporter);
      reporter.print_summary();
    }
    sea_cache().clear();
  }
  benchmark::Shutdown();
  return status;
}
