// compare_outputs REFERENCE CANDIDATE [RELATIVE_TOLERANCE]
//
// Compares two text outputs of the same run on two platforms: console
// transcripts, CSV files, diagnostic records. Lines are compared field by
// field, a field being what lies between blanks, tabs and commas. Every field
// that is not a number, every separator and the number of lines must be
// identical. A field that reads as a number on both sides (the whole field,
// locale-free) passes when
//
//   |a - b| <= tolerance * max(|a|, |b|, S),
//
// S being the largest magnitude in the same field (column) of the reference
// file. The default tolerance is 1e-12. A carriage return before the line
// end is ignored, so a transcript captured under Windows compares with one
// from Linux.
//
// Why the column scale S: the two C libraries' transcendental functions
// differ in the last bit now and then, and where a result is a small
// difference of large numbers that bit is magnified. A wave number one ulp
// apart moves a phase of 35 rad by one ulp (7e-15), which near a zero
// crossing of the elevation (eta = 0.0066 m of a 1 m amplitude) is 1.1e-12
// of eta itself, but 7e-15 of the quantity's size. Values that pass only
// through S are counted in the summary line.
//
// Exit status: 0 when the files agree, 1 when they do not (the first
// differences are printed), 2 on a usage or file error.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::optional<std::vector<std::string>> read_lines(const char* name) {
  std::ifstream file(name, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }

// Alternating fields and separator runs, starting with a (possibly empty) field.
std::vector<std::string_view> split(std::string_view line) {
  std::vector<std::string_view> parts;
  std::size_t pos = 0;
  while (pos <= line.size()) {
    std::size_t end = pos;
    while (end < line.size() && !is_separator(line[end])) ++end;
    parts.push_back(line.substr(pos, end - pos));
    if (end == line.size()) break;
    std::size_t next = end;
    while (next < line.size() && is_separator(line[next])) ++next;
    parts.push_back(line.substr(end, next - end));
    pos = next;
  }
  return parts;
}

std::optional<double> as_number(std::string_view field) {
  double value = 0.0;
  const char* begin = field.data();
  const char* end = begin + field.size();
  if (begin == end) return std::nullopt;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

struct Tally {
  long numbers = 0;
  long differing_bits = 0;
  long within_column_scale_only = 0;
  double largest_relative = 0.0;  // to max(|a|, |b|)
  int reported = 0;
};

// Largest magnitude of the numbers in each field position of the file.
std::vector<double> column_scales(const std::vector<std::string>& lines) {
  std::vector<double> scales;
  for (const auto& line : lines) {
    const auto parts = split(line);
    for (std::size_t k = 0; k < parts.size(); k += 2) {
      const auto value = as_number(parts[k]);
      if (!value || !std::isfinite(*value)) continue;
      const std::size_t column = k / 2;
      if (scales.size() <= column) scales.resize(column + 1, 0.0);
      scales[column] = std::max(scales[column], std::fabs(*value));
    }
  }
  return scales;
}

constexpr int kMaxReports = 10;

void report(Tally& tally, std::size_t line_number, const std::string& what) {
  if (tally.reported++ < kMaxReports) std::printf("line %zu: %s\n", line_number, what.c_str());
}

// True when two fields agree; otherwise `why` says how they differ.
bool fields_agree(std::string_view a, std::string_view b, double tolerance, double column_scale,
                  Tally& tally, std::string& why) {
  const auto x = as_number(a);
  const auto y = as_number(b);
  if (!x || !y) {
    if (a == b) return true;
    std::ostringstream text;
    text << "'" << a << "' differs from '" << b << "'";
    why = text.str();
    return false;
  }
  ++tally.numbers;
  if (std::isnan(*x) || std::isnan(*y)) {
    if (std::isnan(*x) && std::isnan(*y)) return true;
    std::ostringstream text;
    text << a << " differs from " << b;
    why = text.str();
    return false;
  }
  if (*x == *y) return true;  // also 0 and -0, and equal infinities
  ++tally.differing_bits;
  const double scale = std::max(std::fabs(*x), std::fabs(*y));
  const double relative = std::isinf(scale) ? INFINITY : std::fabs(*x - *y) / scale;
  tally.largest_relative = std::max(tally.largest_relative, relative);
  if (relative <= tolerance) return true;
  if (std::fabs(*x - *y) <= tolerance * column_scale) {
    ++tally.within_column_scale_only;
    return true;
  }
  char text[200];
  std::snprintf(text, sizeof text, "%s differs from %s by %.3g relative (column scale %.3g)",
                std::string(a).c_str(), std::string(b).c_str(), relative, column_scale);
  why = text;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: compare_outputs REFERENCE CANDIDATE [RELATIVE_TOLERANCE]\n");
    return 2;
  }
  double tolerance = 1e-12;
  if (argc == 4) {
    const auto parsed = as_number(argv[3]);
    if (!parsed || !(*parsed >= 0.0)) {
      std::fprintf(stderr, "compare_outputs: bad tolerance '%s'\n", argv[3]);
      return 2;
    }
    tolerance = *parsed;
  }
  const auto reference = read_lines(argv[1]);
  const auto candidate = read_lines(argv[2]);
  if (!reference || !candidate) {
    std::fprintf(stderr, "compare_outputs: cannot read %s\n", reference ? argv[2] : argv[1]);
    return 2;
  }

  const std::vector<double> scales = column_scales(*reference);
  Tally tally;
  const std::size_t common = std::min(reference->size(), candidate->size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto a = split((*reference)[i]);
    const auto b = split((*candidate)[i]);
    if (a.size() != b.size()) {
      report(tally, i + 1, "'" + (*reference)[i] + "' differs from '" + (*candidate)[i] + "'");
      continue;
    }
    for (std::size_t k = 0; k < a.size(); ++k) {
      std::string why;
      const double scale = k / 2 < scales.size() ? scales[k / 2] : 0.0;
      const bool agree =
          k % 2 == 0 ? fields_agree(a[k], b[k], tolerance, scale, tally, why) : a[k] == b[k];
      if (!agree) {
        report(tally, i + 1, why.empty() ? "separators differ: '" + (*reference)[i] + "' and '" +
                                               (*candidate)[i] + "'"
                                         : why);
        break;
      }
    }
  }
  if (reference->size() != candidate->size())
    report(tally, common + 1,
           std::to_string(reference->size()) + " lines in " + argv[1] + " but " +
               std::to_string(candidate->size()) + " in " + argv[2]);

  std::printf(
      "%s: %zu lines, %ld numbers, %ld not bit-identical, largest relative difference %.3g, "
      "%ld within the tolerance only relative to their column's largest magnitude\n",
      tally.reported ? "DIFFERENT" : "same", reference->size(), tally.numbers,
      tally.differing_bits, tally.largest_relative, tally.within_column_scale_only);
  return tally.reported ? 1 : 0;
}
