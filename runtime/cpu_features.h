#pragma once
// What the processor the library runs on can execute, asked once: the
// library is built for the x86 baseline (SSE2) and carries faster variants of
// its hot loops that may run only where the processor and the operating
// system support them.

namespace pelm {

// The instruction sets the library's hot loops are built for.
enum class VectorPath { automatic, sse2, avx2, avx512 };

// True when the processor has AVX2 and FMA and the operating system saves the
// 256-bit registers across context switches (both are needed: a processor
// with AVX under an OS that does not enable it faults on the first AVX
// instruction).
bool cpu_runs_avx2_fma();

// True when, beyond that, the processor has AVX-512 F and DQ and the
// operating system saves the 512-bit registers and the mask registers.
bool cpu_runs_avx512();

// Whether the processor runs a path (automatic and sse2 always), the widest
// it runs, and the path's name: "sse2", "avx2", "avx512" ("automatic").
bool cpu_runs(VectorPath path);
VectorPath fastest_vector_path();
const char* vector_path_name(VectorPath path);

// Which build of a hot loop runs: one table of entry points per instruction
// set, the automatic choice made on first use, a forced one refused (false,
// nothing changed) where the processor cannot run it. The library runs on
// the host's one thread, so a plain pointer does.
template <typename Table>
class VectorPathChoice {
 public:
  constexpr VectorPathChoice(const Table& sse2, const Table& avx2, const Table& avx512)
      : builds_{&sse2, &avx2, &avx512} {}

  bool select(VectorPath path) {
    if (path == VectorPath::automatic) path = fastest_vector_path();
    if (!cpu_runs(path)) return false;
    active_ = builds_[path == VectorPath::avx512 ? 2 : path == VectorPath::avx2 ? 1 : 0];
    path_ = path;
    return true;
  }
  const Table& table() {
    if (active_ == nullptr) select(VectorPath::automatic);
    return *active_;
  }
  VectorPath path() {
    table();
    return path_;
  }

 private:
  const Table* builds_[3];
  const Table* active_ = nullptr;
  VectorPath path_ = VectorPath::automatic;
};

}  // namespace pelm
