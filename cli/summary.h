#pragma once

#include "batch.h"

#include <array>
#include <cstddef>
#include <string>

namespace quenlo::cli {

// What became of the files of a run, counted as their reports are printed,
// for the last line a terminal shows.
class Summary {
public:
    void count(Outcome outcome) { ++counts_[static_cast<std::size_t>(outcome)]; }
    std::size_t files() const;

    // "quenlo-fix: 10,000 files: 9,990 fixed, 8 already fixed, 1 of another
    // version, 1 failed", the counts that are 0 left out.
    std::string text() const;

private:
    std::array<std::size_t, 5> counts_{};
};

// `number` with a comma between each group of three digits ("10,000").
std::string withthousands(std::size_t number);

} // namespace quenlo::cli
