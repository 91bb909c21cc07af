#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cad {

// The command line's transcript: the latest lines, and how many were ever written, so that a view can
// append only what is new.
class Transcript
{
public:
    explicit Transcript(std::size_t keep = 5000) : keep_(keep) {}

    void add(std::string line) { add(line, {}); }

    // A line of two parts (a prompt and what answered it). Lines dropped off the front are kept
    // as spare buffers, so a long script writes its history without allocating.
    void add(std::string_view first, std::string_view second)
    {
        if (lines_.size() >= 2 * keep_) trim();
        std::string line;
        if (!spare_.empty()) {
            line = std::move(spare_.back());
            spare_.pop_back();
            line.clear();
        }
        line.reserve(first.size() + second.size());
        line.append(first).append(second);
        lines_.push_back(std::move(line));
        ++count_;
    }
    const std::vector<std::string> &lines() const { return lines_; }
    std::uint64_t count() const { return count_; }

private:
    void trim()
    {
        for (std::size_t i = 0; i < keep_; ++i)
            std::swap(lines_[i], lines_[i + lines_.size() - keep_]);
        for (std::size_t i = keep_; i < lines_.size(); ++i)
            spare_.push_back(std::move(lines_[i]));
        lines_.resize(keep_);
    }

    std::size_t keep_;
    std::vector<std::string> spare_;
    std::vector<std::string> lines_;
    std::uint64_t count_ = 0;
};

} // namespace cad
