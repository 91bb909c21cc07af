#pragma once

#include "cad/model/Drawing.h"

#include <string>
#include <string_view>
#include <vector>

namespace cad {

// One row of the fitting schedule (建具表): the symbols of one fitting form drawn with the same
// dimensions, hinge side and angle.
struct ScheduleRow
{
    std::string form;    // "fix100"
    std::string caption; // "ＦＩＸ窓"
    std::string scale;   // "1/100"
    std::string width;   // W as entered ("1700"; two leaves added up)
    std::string others;  // the other dimensions the form names ("枠見込 60、外壁仕上厚 0")
    std::string hinge;   // "左", "右" or empty
    std::string angle;   // "90"
    int count = 0;
};

// Whether a form draws a window or a door (one the schedule lists, and that sits in a wall).
bool isFittingForm(std::string_view form);

// Every window and door symbol of the drawing, one row per form and dimensions, in the order of
// the forms' menus and then by width and angle.
std::vector<ScheduleRow> fittingSchedule(const Drawing &drawing);

// The header of the columns, in the order of cells().
const std::vector<std::string> &scheduleHeader();
std::vector<std::string> cells(const ScheduleRow &row);

// The schedule as a table of lines and texts, its upper left corner at `corner`.
std::vector<Entity> scheduleTable(const std::vector<ScheduleRow> &rows, Point corner);

} // namespace cad
