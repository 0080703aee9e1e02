// The stream-function wave: set-up time beside the time of one evaluation.
//
//   BM_Setup/moderate       d 20 m, T 8 s, H 4 m (H/Hb 0.35): order 6, no
//                           height steps.
//   BM_Setup/near_breaking  d 10 m, T 12 s, H 6.5 m (H/Hb 0.89, d/L0 0.044):
//                           orders 6 to 16, then nine height steps.
//   BM_Evaluate/<wave>      one strf_evaluate (velocities, local and total
//                           accelerations, elevation) of that wave, per point.
//   BM_Elevation/<wave>     the elevation alone, as get_sea_elevation asks.
//
// The set-up runs with printing off; its one breaking-ratio line goes to a
// sink that drops it. Query points come from a ring of 256 points at
// different places, levels and times, so nothing can be hoisted out of the
// timed loop.

#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

#include "interface/library_state.h"
#include "models/stream_function/strf_model.h"
#include "runtime/console.h"

namespace {

struct Wave {
  float d, T, H, U;
};
constexpr Wave kModerate{20.f, 8.f, 4.f, 0.f};
constexpr Wave kNearBreaking{10.f, 12.f, 6.5f, 0.f};

const Wave& wave(const benchmark::State& state) { return state.range(0) == 0 ? kModerate : kNearBreaking; }

void quiet() {
  pelm::set_console_sink([](std::string_view) {});
}

struct Point {
  float x, z, t;
};

std::array<Point, 256> query_ring(const Wave& w) {
  std::array<Point, 256> points{};
  for (std::size_t i = 0; i < points.size(); ++i) {
    const float f = static_cast<float>(i) / points.size();
    points[i] = {300.f * f - 40.f, -w.d * (0.05f + 0.9f * f * f), 0.37f * i};
  }
  return points;
}

void BM_Setup(benchmark::State& state) {
  quiet();
  const Wave& w = wave(state);
  pelm::StrfSetupResult result;
  for (auto _ : state) {
    result = pelm::strf_setup(w.d, w.T, w.H, w.U, false);
    benchmark::DoNotOptimize(result);
  }
  state.counters["order"] = result.order;
  state.counters["wave_length_m"] = result.wave_length;
}

void BM_Evaluate(benchmark::State& state) {
  quiet();
  const Wave& w = wave(state);
  const int order = pelm::strf_setup(w.d, w.T, w.H, w.U, false).order;
  const auto points = query_ring(w);
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& p = points[i++ & 255];
    benchmark::DoNotOptimize(pelm::strf_evaluate(order, p.x, p.z, p.t));
  }
  state.counters["order"] = order;
}

void BM_Elevation(benchmark::State& state) {
  quiet();
  const Wave& w = wave(state);
  pelm::StrfModel model;
  model.order = pelm::strf_setup(w.d, w.T, w.H, w.U, false).order;
  pelm::LibraryState library;
  const auto points = query_ring(w);
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& p = points[i++ & 255];
    library.time = p.t;
    const double pos[3] = {p.x, 0.0, 0.0};
    double eta = 0.0;
    pelm::strf_elevation(pos, model, library, eta);
    benchmark::DoNotOptimize(eta);
  }
}

void waves(benchmark::internal::Benchmark* b) {
  b->ArgNames({"wave"});
  b->Arg(0)->Arg(1);
}

}  // namespace

BENCHMARK(BM_Setup)->Apply(waves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Evaluate)->Apply(waves)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Elevation)->Apply(waves)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
