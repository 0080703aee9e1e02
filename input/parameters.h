#pragma once
// Numeric parameters of a command, and the error line every block reader
// writes for a faulty command.

#include <cstdint>

#include "input/command_file.h"

namespace pelm {

// Converts words first .. first+count-1 of `command` (counted from 1) into
// values[0 .. count-1]. A word is a free-format number: optional sign,
// digits with or without a decimal point, optional exponent written with e
// or d ("1.5d3" == "1.5e3"). Surplus words are ignored. Returns false after
// writing the error lines when the command has too few words or a word is
// not a number; the values converted before the faulty word keep their new
// values.
bool read_real_params(const CommandLine& command, std::int32_t first, std::int32_t count,
                      double* values);

// Parses one free-format number (the whole word); false when it is not one.
bool parse_real(const std::string& word, double& value);

// "*** ERROR *** Error in command line <line> Masterfile name: <file>".
void write_command_error(const CommandFile& file);

// An integer parameter read as a real: nearest integer, halves away from
// zero (2.5 -> 3, -2.5 -> -3), clamped to the 32-bit range.
std::int32_t round_to_int32(double value);

// Truncation toward zero (20.9 -> 20, -1.5 -> -1), clamped to the 32-bit range.
std::int32_t truncate_to_int32(double value);

}  // namespace pelm
