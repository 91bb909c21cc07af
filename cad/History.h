#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cad {

// The command history: the latest lines, and how many were ever written, so that a view can
// append only what is new.
class History
{
public:
    explicit History(std::size_t keep = 5000) : keep_(keep) {}

    void add(std::string line)
    {
        if (lines_.size() >= 2 * keep_)
            lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(keep_));
        lines_.push_back(std::move(line));
        ++count_;
    }
    const std::vector<std::string> &lines() const { return lines_; }
    std::uint64_t count() const { return count_; }

private:
    std::size_t keep_;
    std::vector<std::string> lines_;
    std::uint64_t count_ = 0;
};

} // namespace cad
