#pragma once

#include <string>

namespace quendra {

// The general number form of the command scripts: shortest decimal form of up to 15 significant
// digits, "-" for negatives, "." as the point, no trailing zeros, no point for whole values, zero
// always "0". Magnitudes from 1E+15 up and below 1E-06 take the E form ("1E+20", "1.5E-07").
// A value that is not finite has no script form: the result is empty, and callers reject it
// before anything is sent (see Steps::finite()).
std::string format(double x);

} // namespace quendra
