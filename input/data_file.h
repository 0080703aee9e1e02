#pragma once
// Numeric data files (measured elevation records, kinematics tables) read in
// free format, as a list-directed read does.
//
// A read of n values always starts on a new line and takes numbers separated
// by blanks, tabs or commas (a run of separators counts as one). When the line
// holds fewer than n numbers the read goes on over the following lines; the
// numbers left over on the last line it used are skipped. A number has the
// shape of an input-file parameter: optional sign, digits with or without a
// point, optional exponent written with e or d.
//
// A file that ends too early or a word that is not a number cannot give the
// data the model needs: the process stops with one "*** ERROR ***" line that
// names the file, the line and what was being read.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace pelm {

class DataFile {
 public:
  // Opens `name` for reading; false when it is not an existing, readable file.
  bool open(const std::string& name);

  // Skips `count` lines whatever they hold (nothing for count <= 0). `what`
  // names them for the message should the file end first.
  void skip_lines(std::int64_t count, std::string_view what);

  // One free-format read of `count` values into values[0 .. count-1]. `what`
  // names the read in the message of a failure ("sample 12").
  void read_values(std::size_t count, double* values, std::string_view what);

  const std::string& name() const { return name_; }
  // Lines read so far: the line a failure is reported at.
  std::int64_t line_number() const { return line_number_; }

 private:
  bool next_line(std::string& line);
  [[noreturn]] void stop(std::string_view what, std::string_view problem) const;

  std::string name_;
  std::ifstream stream_;
  std::int64_t line_number_ = 0;
};

}  // namespace pelm
