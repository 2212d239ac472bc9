// libFuzzer target for the header rewrite, checked against a plain
// byte-by-byte reading of the rules: the marker is sought from the first
// byte, every non-overlapping occurrence from left to right becomes the
// fixed marker, and nothing else changes.
#include "fixheader.h"
#include "header.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Returns the expected header and whether any marker was there.
std::pair<std::string, bool> reference(const std::string &input)
{
    std::string output = input;
    bool found = false;
    for (std::size_t i = 0; i + 5 <= input.size();) {
        if (input[i] == '/' && input[i + 1] == '8' && input[i + 2] == '2' && input[i + 3] == '0' && input[i + 4] == '3') {
            output[i + 4] = '2';
            found = true;
            i += 5;
        } else {
            ++i;
        }
    }
    return {output, found};
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Headers of every length up to a few times the real one: short files
    // give shorter headers, and longer ones exercise the replace-all.
    const std::string input(reinterpret_cast<const char *>(data), size < 40 ? size : 40);
    std::string actual = input;
    const auto outcome = quenlo::fixheader(actual);

    const auto [expected, found] = reference(input);
    check(outcome == (found ? quenlo::FixOutcome::Fixed : quenlo::FixOutcome::InvalidVersion));
    check(actual.size() == input.size());
    check(actual == expected);
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (actual[i] != input[i])
            check(i >= 4 && input.compare(i - 4, 5, quenlo::kVersionMarker) == 0 && actual[i] == '2');
    }

    std::string again = actual;
    check(quenlo::fixheader(again) == quenlo::FixOutcome::InvalidVersion);
    check(again == actual);
    return 0;
}
