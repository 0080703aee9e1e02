#pragma once
// Error reporting of the numerical routines.
//
// A numerical routine registers its name (RoutineName) for as long as an
// error it raises should carry that name; registrations nest, and a report
// names the innermost one. A report is one console line:
//
//   *** TERMINAL ERROR from DFFTRF.  The length of the sequence N = 0.  It must be at least 1.
//
// i.e. the error type in capitals, " ERROR from ", the routine name, ".  "
// and the message with its placeholders filled in: %(I1) and %(I2) become the
// decimal integers i1 and i2, %(L1) the text l1, wherever they appear.
//
// Reporting does not stop the process: the routine decides. A routine that
// must not return to its caller (the Fourier transform) reports through
// stop_with_numeric_error, which writes the same line through the one fatal
// stop of the library, so exactly one line is written before the process ends.

#include <cstdint>
#include <string>
#include <string_view>

namespace pelm {

// From the least to the most severe.
enum class NumericErrorType { note, alert, warning, fatal, terminal };

// Registers `name` for the lifetime of the guard. The name is not copied: pass
// a string literal.
class RoutineName {
 public:
  explicit RoutineName(std::string_view name);
  ~RoutineName();
  RoutineName(const RoutineName&) = delete;
  RoutineName& operator=(const RoutineName&) = delete;
};

// The line a report writes, without writing it.
std::string numeric_error_line(NumericErrorType type, std::string_view message, std::int32_t i1 = 0,
                               std::int32_t i2 = 0, std::string_view l1 = {});

void report_numeric_error(NumericErrorType type, std::string_view message, std::int32_t i1 = 0,
                          std::int32_t i2 = 0, std::string_view l1 = {});

[[noreturn]] void stop_with_numeric_error(NumericErrorType type, std::string_view message,
                                          std::int32_t i1 = 0, std::int32_t i2 = 0,
                                          std::string_view l1 = {});

}  // namespace pelm
