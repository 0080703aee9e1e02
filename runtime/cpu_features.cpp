#include "runtime/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace pelm {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// XCR0, the register in which the OS declares the vector state it saves.
// xgetbv is written as bytes so that no target flag is needed here.
unsigned long long extended_control_register_0() {
  unsigned int low = 0, high = 0;
  __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(0));
  return (static_cast<unsigned long long>(high) << 32) | low;
}

}  // namespace

bool cpu_runs_avx2_fma() {
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid(1, eax, ebx, ecx, edx);
  const bool fma = (ecx & bit_FMA) != 0;
  const bool osxsave = (ecx & bit_OSXSAVE) != 0;
  const bool avx = (ecx & bit_AVX) != 0;
  if (!(fma && osxsave && avx)) return false;
  // SSE (bit 1) and AVX (bit 2) state enabled by the OS.
  if ((extended_control_register_0() & 0x6) != 0x6) return false;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  return (ebx & bit_AVX2) != 0;
}

bool cpu_runs_avx512() {
  if (!cpu_runs_avx2_fma()) return false;
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  if ((ebx & bit_AVX512F) == 0 || (ebx & bit_AVX512DQ) == 0) return false;
  // Opmask (bit 5), upper halves of zmm0-15 (6) and zmm16-31 (7).
  return (extended_control_register_0() & 0xe6) == 0xe6;
}
#else
bool cpu_runs_avx2_fma() { return false; }
bool cpu_runs_avx512() { return false; }
#endif

bool cpu_runs(VectorPath path) {
  switch (path) {
    case VectorPath::avx512:
      return cpu_runs_avx512();
    case VectorPath::avx2:
      return cpu_runs_avx2_fma();
    case VectorPath::sse2:
    case VectorPath::automatic:
      break;
  }
  return true;
}

VectorPath fastest_vector_path() {
  return cpu_runs_avx512() ? VectorPath::avx512 : cpu_runs_avx2_fma() ? VectorPath::avx2 : VectorPath::sse2;
}

const char* vector_path_name(VectorPath path) {
  switch (path) {
    case VectorPath::sse2:
      return "sse2";
    case VectorPath::avx2:
      return "avx2";
    case VectorPath::avx512:
      return "avx512";
    case VectorPath::automatic:
      break;
  }
  return "automatic";
}

}  // namespace pelm
