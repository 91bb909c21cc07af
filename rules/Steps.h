#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// One row of a form's table: a point with its trailing blanks, a value (a height, an angle), or
// a word such as "c " or "DDCOLOR " written exactly as typed.
struct Step
{
    enum class Kind { Relative, Absolute, Value, Word };
    Kind kind = Kind::Word;
    double x = 0;
    double y = 0;
    int blanks = 0;
    std::string word;
};

// "@x,y" and its blanks: a point relative to the last point.
Step pt(double x, double y, int blanks = 1);
// "x,y" and its blanks: an absolute point, never turned or mirrored.
Step at(double x, double y, int blanks = 1);
// A number and its blanks (a radius, a text height).
Step value(double v, int blanks = 1);
// A word with its blanks, as written: "c ", "w ", "DDCOLOR ".
Step word(std::string text);

using Steps = std::vector<Step>;

// The rows of `a` followed by those of `b`, for tables that share their first rows.
Steps operator+(Steps a, const Steps &b);

// The steps turned counter-clockwise about the base point by 0, 90, 180 or 270 degrees:
// (x, y) becomes (-y, x), (-x, -y) or (y, -x); blanks, words and order stay.
Steps turned(const Steps &steps, int degrees);
// The mirror of the frame forms: (x, y) becomes (-x, y).
Steps mirrored(const Steps &steps);

// A script ready to send; finite is false when a value on the way was infinite or NaN, in which
// case the text must not reach the CAD host.
struct Script
{
    std::string text;
    bool finite = true;
};

// The command word, every step in order, and the carriage return once at the end if asked.
Script script(std::string_view command, const Steps &steps, bool carriageReturn = true);

// The text of one step.
std::string text(const Step &step);

} // namespace quendra
