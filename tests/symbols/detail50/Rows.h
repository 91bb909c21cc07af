#pragma once

// Scripts written the way the tables list them: the points separated by " / ", and the trailing
// blanks of each row as one digit per row.

#include <cctype>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace rows {

inline std::string expected(const std::string &command, const std::string &points, const std::string &blanks,
                            bool carriageReturn = true)
{
    std::string out = command;
    std::istringstream in(points);
    std::string token;
    size_t i = 0;
    while (in >> token) {
        if (token == "/") continue;
        if (i >= blanks.size()) throw std::invalid_argument("more points than blanks");
        out += token + std::string(static_cast<size_t>(blanks[i++] - '0'), ' ');
    }
    if (i != blanks.size()) throw std::invalid_argument("more blanks than points");
    return carriageReturn ? out + '\r' : out;
}

// The inputs of a script, each with its trailing blanks; entry 0 is the command word, so entry n
// is row n of a table.
inline std::vector<std::string> entries(const std::string &script)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < script.size();) {
        size_t end = script.find(' ', i);
        if (end == std::string::npos) end = script.size();
        while (end < script.size() && script[end] == ' ')
            ++end;
        out.push_back(script.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace rows
