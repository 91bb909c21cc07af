#include "cad/model/Schedule.h"

#include "cad/model/InputReading.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

namespace cad {

namespace {

// A dimension among a form's inputs: its control and the name its dialog gives it.
struct Dimension
{
    const char *control;
    const char *label;
};

// The window and door forms the host knows from their frames, in the order of their menus. The
// host cannot ask the assistant's definitions, so which input is which is said here.
struct Fitting
{
    const char *form;
    const char *scale;
    std::vector<const char *> width; // added up: a double door's two leaves
    std::vector<Dimension> others;
    bool hinged = false;
};

const std::vector<Fitting> &fittings()
{
    static const std::vector<Fitting> table = {
        {"hikitigai100", "1/100", {"Combo1"}, {}},
        {"hikitigaito100", "1/100", {"Combo1"}, {}},
        {"katabiraki100", "1/100", {"Combo1"}, {}, true},
        {"fix100", "1/100", {"Combo1"}, {}},
        {"tatejiku100", "1/100", {"Combo1"}, {}},
        {"katabirakito100", "1/100", {"Combo1"}, {}, true},
        {"ryouhiraki100", "1/100", {"Combo1", "Combo3"}, {{"Combo1", "W寸法"}, {"Combo3", "W寸法"}}},
        {"ryouorito100", "1/100", {"Combo1"}, {}},
        {"kataorito100", "1/100", {"Combo1"}, {}},
        {"yonhonhiki100", "1/100", {"Combo1"}, {}},
        {"hikitigai50", "1/50", {"Combo1"}, {{"Combo3", "枠見込"}, {"Text1", "外壁仕上厚"}}},
        {"katabiraki50",
         "1/50",
         {"Combo1"},
         {{"Combo5", "壁厚"}, {"Combo3", "枠ﾁﾘ寸法"}, {"Combo4", "額縁ﾁﾘ寸法"}},
         true},
    };
    return table;
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string input(const Symbol &s, const char *control)
{
    for (const auto &[name, value] : s.inputs)
        if (name == control) return trimmed(value);
    return {};
}

std::string numberText(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", v == 0 ? 0.0 : v);
    return buffer;
}

// The leaves added up when each is a number; else as entered, joined by "+".
std::string widthOf(const Symbol &s, const Fitting &f)
{
    if (f.width.size() == 1) return input(s, f.width[0]);
    double sum = 0;
    std::string joined;
    bool numbers = true;
    for (const char *control : f.width) {
        const std::string text = input(s, control);
        joined += (joined.empty() ? "" : "+") + text;
        const auto v = readNumber(text);
        numbers = numbers && v;
        if (v) sum += *v;
    }
    return numbers ? numberText(sum) : joined;
}

std::string othersOf(const Symbol &s, const Fitting &f)
{
    std::string out;
    for (const Dimension &d : f.others)
        out += (out.empty() ? "" : "、") + std::string(d.label) + " " + input(s, d.control);
    return out;
}

std::string hingeOf(const Symbol &s, const Fitting &f)
{
    if (!f.hinged) return {};
    if (input(s, "Option1") == "1") return "左";
    if (input(s, "Option2") == "1") return "右";
    return {};
}

// Numbers in their order, before texts that are none.
double orderOf(const std::string &text)
{
    return readNumber(text).value_or(1e300);
}

} // namespace

bool isFittingForm(std::string_view form)
{
    const auto &table = fittings();
    return std::any_of(table.begin(), table.end(), [form](const Fitting &f) { return form == f.form; });
}

std::vector<ScheduleRow> fittingSchedule(const Drawing &drawing)
{
    std::set<std::uint32_t> symbols;
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (const auto id = drawing.symbolOf(i)) symbols.insert(id);
    std::map<std::vector<std::string>, std::size_t> rowOf;
    std::vector<std::pair<std::size_t, ScheduleRow>> rows; // with the form's place in fittings()
    for (const std::uint32_t id : symbols) {
        const Symbol &s = drawing.symbol(id);
        const auto &table = fittings();
        const auto f =
            std::find_if(table.begin(), table.end(), [&s](const Fitting &x) { return s.form == x.form; });
        if (f == table.end()) continue;
        ScheduleRow row{s.form,          s.caption,      f->scale,           widthOf(s, *f),
                        othersOf(s, *f), hingeOf(s, *f), input(s, "Combo2"), 0};
        std::vector<std::string> key = cells(row);
        key.push_back(row.form);
        const auto [at, fresh] = rowOf.try_emplace(key, rows.size());
        if (fresh) rows.emplace_back(static_cast<std::size_t>(f - table.begin()), row);
        ++rows[at->second].second.count;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
        const auto order = [](const std::pair<std::size_t, ScheduleRow> &r) {
            return std::tuple(r.first, orderOf(r.second.width), r.second.width, r.second.others,
                              r.second.hinge, orderOf(r.second.angle), r.second.angle);
        };
        return order(a) < order(b);
    });
    std::vector<ScheduleRow> out;
    for (auto &r : rows)
        out.push_back(std::move(r.second));
    return out;
}

const std::vector<std::string> &scheduleHeader()
{
    static const std::vector<std::string> header = {"名称", "縮尺", "W寸法", "その他の寸法",
                                                    "吊元", "角度", "数量"};
    return header;
}

std::vector<std::string> cells(const ScheduleRow &row)
{
    return {row.caption, row.scale, row.width, row.others, row.hinge, row.angle, std::to_string(row.count)};
}

std::vector<Entity> scheduleTable(const std::vector<ScheduleRow> &rows, Point corner)
{
    // Drawing units are millimetres: 2 mm letters at 1:100, with room beside them in every cell.
    constexpr double height = 200;
    constexpr double rowHeight = 600;
    constexpr std::array<double, 7> widths = {2400, 1200, 1200, 5000, 900, 900, 900};
    double total = 0;
    for (double w : widths)
        total += w;
    const double depth = rowHeight * static_cast<double>(rows.size() + 1);
    std::vector<Entity> out;
    const auto line = [&out](Point a, Point b) {
        Entity e;
        e.a = a;
        e.b = b;
        out.push_back(e);
    };
    for (std::size_t r = 0; r <= rows.size() + 1; ++r) {
        const double y = corner.y - rowHeight * static_cast<double>(r);
        line({corner.x, y}, {corner.x + total, y});
    }
    double x = corner.x;
    line({x, corner.y}, {x, corner.y - depth});
    for (double w : widths) {
        x += w;
        line({x, corner.y}, {x, corner.y - depth});
    }
    for (std::size_t r = 0; r <= rows.size(); ++r) {
        const std::vector<std::string> texts = r == 0 ? scheduleHeader() : cells(rows[r - 1]);
        double left = corner.x;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            if (!texts[c].empty()) {
                Entity t;
                t.type = Entity::Type::Text;
                t.insert = {left + widths[c] / 2, corner.y - rowHeight * (static_cast<double>(r) + 0.5)};
                t.text = texts[c];
                t.height = height;
                out.push_back(t);
            }
            left += widths[c];
        }
    }
    return out;
}

} // namespace cad
