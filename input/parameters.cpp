#include "input/parameters.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/console.h"

namespace pelm {
namespace {

std::int32_t clamp_to_int32(double value) {
  constexpr double lowest = std::numeric_limits<std::int32_t>::min();
  constexpr double highest = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) return 0;
  if (value <= lowest) return std::numeric_limits<std::int32_t>::min();
  if (value >= highest) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the shape sign? digits [. digits] [(e|d) sign? digits] with at least
// one mantissa digit, and rewrites a d exponent as e for from_chars. The rarer
// list-directed forms (value followed by a comma, repeat counts such as 2*3.0,
// a slash, inf and nan) are not numbers here.
bool normalise_number(const std::string& word, std::string& out) {
  out.clear();
  std::size_t i = 0;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
    if (word[i] == '-') out += '-';
    ++i;
  }
  std::size_t mantissa_digits = 0;
  while (i < word.size() && is_digit(word[i])) out += word[i++], ++mantissa_digits;
  if (i < word.size() && word[i] == '.') {
    out += word[i++];
    while (i < word.size() && is_digit(word[i])) out += word[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < word.size() && (word[i] == 'e' || word[i] == 'd')) {
    out += 'e';
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) out += word[i++];
    std::size_t exponent_digits = 0;
    while (i < word.size() && is_digit(word[i])) out += word[i++], ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == word.size();
}

// Decimal order of magnitude of a normalised number that from_chars found out
// of range: the power of ten of its first non-zero digit. Negative means the
// value lies below the smallest subnormal (underflow), otherwise above the
// largest double (overflow). The exponent saturates, so 1e99999999999 stays
// an overflow.
bool is_underflow(const std::string& text) {
  std::size_t i = text[0] == '-' ? 1 : 0;
  std::int64_t magnitude = 0;
  std::int64_t integer_digits = 0;
  bool found = false;
  for (; i < text.size() && is_digit(text[i]); ++i, ++integer_digits)
    if (!found && text[i] != '0') found = true, magnitude = -integer_digits;
  if (found) magnitude += integer_digits - 1;
  if (i < text.size() && text[i] == '.') {
    std::int64_t position = 0;
    for (++i; i < text.size() && is_digit(text[i]); ++i) {
      ++position;
      if (!found && text[i] != '0') found = true, magnitude = -position;
    }
  }
  std::int64_t exponent = 0;
  if (i < text.size() && text[i] == 'e') {
    ++i;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    for (; i < text.size(); ++i) exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1000000);
    if (negative) exponent = -exponent;
  }
  return magnitude + exponent < 0;
}

}  // namespace

bool parse_real(const std::string& word, double& value) {
  std::string text;
  if (!normalise_number(word, text)) return false;
  double parsed = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ptr != text.data() + text.size()) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // A value below the smallest subnormal reads as zero with its sign, as a
    // free-format read gives it; one beyond the largest double is refused,
    // since a non-finite setting leaves a model undefined.
    if (!is_underflow(text)) return false;
    parsed = text[0] == '-' ? -0.0 : 0.0;
  } else if (result.ec != std::errc()) {
    return false;
  }
  value = parsed;
  return true;
}

bool read_real_params(const CommandLine& command, std::int32_t first, std::int32_t count,
                      double* values) {
  const auto write_reading_error = [&] {
    write_message("*** ERROR *** Error reading parameters in command line: ", command.word(1), " ",
                  command.word(2));
  };
  if (command.word_count < first + count - 1) {
    write_line("*** ERROR *** Not correct number of parameters in command line");
    write_reading_error();
    return false;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    if (!parse_real(command.word(first + i), values[i])) {
      write_reading_error();
      return false;
    }
  }
  return true;
}

void write_command_error(const CommandFile& file) {
  write_message("*** ERROR *** Error in command line ", file.line_number, " Masterfile name: ",
                file.name);
}

std::int32_t round_to_int32(double value) { return clamp_to_int32(std::round(value)); }

std::int32_t truncate_to_int32(double value) { return clamp_to_int32(std::trunc(value)); }

}  // namespace pelm
