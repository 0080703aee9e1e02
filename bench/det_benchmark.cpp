// Set-up of the measured sea (det_airy) for three-hour wave-probe records at
// 20 Hz, about 216 000 samples: reading the record, the transform and one
// component per kept bin, with every bin kept (cutoff_frac 0), so that the
// component count is N/2.
//
//   BM_Det_SetUp/N   the whole det_airy_init, record file included, for
//                    N = 216000 (2^6 3^3 5^3), 216001 (61 x 3541, two large
//                    odd factors) and 216037 (a prime); the transform takes
//                    large odd factors by chirp convolution.
//
// Each record is written once, before the runs, into a fresh temporary
// folder (removed at the end): a sum of three waves plus deviates of the
// minimal standard generator, so that every bin holds energy.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "interface/library_state.h"
#include "models/deterministic/det_model.h"
#include "runtime/console.h"

namespace {

std::filesystem::path g_folder;

std::string record_file(std::int64_t n) {
  const auto path = g_folder / ("record_" + std::to_string(n) + ".txt");
  if (std::filesystem::exists(path)) return path.string();
  std::FILE* file = std::fopen(path.string().c_str(), "w");
  if (file == nullptr) return path.string();
  std::fprintf(file, "time(s) elevation(m)\n");
  std::int64_t state = 1;
  for (std::int64_t i = 0; i < n; ++i) {
    const double t = 0.05 * static_cast<double>(i);
    state = state * 16807 % 2147483647;
    const double noise = 0.02 * (static_cast<double>(state) / 2147483647.0 - 0.5);
    const double eta = 1.2 * std::sin(0.63 * t + 0.4) + 0.5 * std::sin(1.1 * t - 1.0) +
                       0.2 * std::sin(2.3 * t + 2.0) + noise;
    std::fprintf(file, "%.2f %.5f\n", t, eta);
  }
  std::fclose(file);
  return path.string();
}

void BM_Det_SetUp(benchmark::State& bench) {
  const std::int64_t n = bench.range(0);
  const std::string file = record_file(n);
  std::size_t components = 0;
  for (auto _ : bench) {
    pelm::LibraryState state;
    state.depth = 50.0;
    pelm::DetModel model;
    model.file_name = file;
    model.sample_count = static_cast<std::int32_t>(n);
    model.skip_lines = 1;
    model.cutoff_fraction = 0.0;
    model.field.precompute = false;
    if (!pelm::det_airy_init(model, state, 0.0, 10800.0)) {
      bench.SkipWithError("det_airy_init refused the record");
      return;
    }
    components = model.field.components.size();
    benchmark::DoNotOptimize(model.field.field.amplitude.data());
  }
  bench.counters["components"] = static_cast<double>(components);
}
BENCHMARK(BM_Det_SetUp)->Arg(216000)->Arg(216001)->Arg(216037)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  g_folder = std::filesystem::temp_directory_path() / ("pelm_bench_det_" + std::to_string(::getpid()));
  std::filesystem::create_directories(g_folder);
  pelm::set_console_sink([](std::string_view) {});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
  return 0;
}
