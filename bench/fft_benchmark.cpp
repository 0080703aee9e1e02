// DFFTRF against FFTW's real-to-complex transform, side by side in one run.
//
//   BM_DFFTRF/N     the library's entry point as the models call it; after
//                   the first call the length's twiddle table (and a large
//                   factor's chirp spectrum) is kept, so this is the
//                   transform of a length used again.
//   BM_DFFTRF_sse2/N  the same with the radix passes of the x86 baseline
//                   forced (the program first prints the path the processor
//                   check chose; every path gives the same bits).
//   BM_DF2TRF/N     the transform alone, with a work array from DFFTRI made
//                   once outside the timed loop.
//   BM_FFTW_r2c/N   fftw_execute of a plan made once with FFTW_MEASURE
//                   (planning not timed), out of place, double precision.
//
// After the runs the time ratios ours / FFTW are printed for each N, so the
// ratio comes from one process on one machine state.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "numerics/fft.h"
#include "numerics/fft_passes.h"

namespace {

// Smooth: 32768 = 2 * 4^7, 36000 = 2^5 3^2 5^3, 1048576 = 4^10, 19683 = 3^9.
// A large prime factor: 32749 and 216023 prime, 216007 = 11 73 269.
const std::vector<std::int64_t> kLengths = {32768, 36000, 1048576, 19683, 32749, 216023, 216007};

std::vector<double> sequence(std::int64_t n) {
  std::vector<double> x(static_cast<std::size_t>(n));
  std::uint64_t state = 12345;
  for (auto& v : x) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    v = static_cast<double>(state >> 11) * 0x1.0p-53 - 0.5;
  }
  return x;
}

void BM_DFFTRF(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = sequence(n);
  std::vector<double> coeff(x.size());
  for (auto _ : state) {
    pelm::DFFTRF(n, x.data(), coeff.data());
    benchmark::DoNotOptimize(coeff.data());
    benchmark::ClobberMemory();
  }
}

void BM_DFFTRF_sse2(benchmark::State& state) {
  pelm::fft_detail::select_fft_path(pelm::VectorPath::sse2);
  BM_DFFTRF(state);
  pelm::fft_detail::select_fft_path(pelm::VectorPath::automatic);
}

void BM_DF2TRF(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = sequence(n);
  std::vector<double> coeff(x.size());
  std::vector<double> work(2 * x.size() + 15);
  pelm::DFFTRI(n, work.data());
  for (auto _ : state) {
    pelm::DF2TRF(n, x.data(), coeff.data(), work.data());
    benchmark::DoNotOptimize(coeff.data());
    benchmark::ClobberMemory();
  }
}

void BM_FFTW_r2c(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  double* in = fftw_alloc_real(static_cast<std::size_t>(n));
  fftw_complex* out = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
  // FFTW_MEASURE overwrites the arrays while planning: fill them afterwards.
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
  const auto x = sequence(n);
  for (int i = 0; i < n; ++i) in[i] = x[static_cast<std::size_t>(i)];
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}

// The three runs of one length one after another, so that a change of load
// on a shared machine between lengths does not enter the ratios.
void register_benchmarks() {
  for (auto n : kLengths) {
    benchmark::RegisterBenchmark("BM_DFFTRF", BM_DFFTRF)->Arg(n)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_DFFTRF_sse2", BM_DFFTRF_sse2)->Arg(n)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_DF2TRF", BM_DF2TRF)->Arg(n)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_FFTW_r2c", BM_FFTW_r2c)->Arg(n)->Unit(benchmark::kMicrosecond);
  }
}

// Console output as usual, and the CPU time per iteration of every run kept
// by name for the ratios: the median when runs are repeated. CPU time leaves
// out the time spent waiting for a core on a shared machine.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.error_occurred) continue;
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (single || median) times_[run.run_name.str()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void print_ratios() const {
    std::printf("\nCPU time ratios, ours / FFTW r2c (FFTW_MEASURE), same run:\n");
    for (auto n : kLengths) {
      const auto fftw = times_.find(run_name("BM_FFTW_r2c", n));
      if (fftw == times_.end()) continue;
      for (const char* ours : {"BM_DFFTRF", "BM_DFFTRF_sse2", "BM_DF2TRF"}) {
        const auto it = times_.find(run_name(ours, n));
        if (it != times_.end())
          std::printf("  N = %6lld  %-14s / FFTW = %9.2f\n", static_cast<long long>(n), ours,
                      it->second / fftw->second);
      }
    }
  }

 private:
  static std::string run_name(const char* function, std::int64_t n) {
    std::string name(function);
    name.append("/").append(std::to_string(n));
    return name;
  }

  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  register_benchmarks();
  benchmark::Initialize(&argc, argv);
  std::printf("Radix passes chosen by the CPU check: %s\n",
              pelm::vector_path_name(pelm::fft_detail::active_fft_path()));
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratios();
  benchmark::Shutdown();
  return 0;
}
