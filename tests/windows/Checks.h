#pragma once

#include <cstdio>
#include <string>

// The Windows test programs' reporting: one line per check, a closing "N passed, M failed" line,
// and the exit code ctest reads.
class Checks
{
public:
    bool check(bool ok, const std::string &what)
    {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
        std::fflush(stdout);
        ++(ok ? passed_ : failed_);
        return ok;
    }

    bool equal(const std::string &actual, const std::string &expected, const std::string &what)
    {
        if (check(actual == expected, what)) return true;
        std::printf("     got      %s\n     expected %s\n", shown(actual).c_str(), shown(expected).c_str());
        return false;
    }

    int finish() const
    {
        std::printf("%d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 && passed_ > 0 ? 0 : 1;
    }

private:
    // Control characters written out, long strings cut, so a failure stays readable.
    static std::string shown(const std::string &text)
    {
        std::string out;
        for (const char c : text.substr(0, 300)) {
            if (c == '\r')
                out += "\\r";
            else if (c == '\n')
                out += "\\n";
            else
                out += c;
        }
        if (text.size() > 300) out += "... (" + std::to_string(text.size()) + " bytes)";
        return "\"" + out + "\"";
    }

    int passed_ = 0;
    int failed_ = 0;
};
