// The cost of one fix, by file size: it must not grow with the file, since
// only the first ten bytes are read and written.
#include "fixprojectfile.h"

#include "tempdir.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

class NoMessages final : public quenlo::MessageService {
public:
    void show(std::string_view, std::string_view) override {}
};

void fix(benchmark::State &state)
{
    const quenlo::test::TempDir dir;
    const auto path = dir.write("BENCH.PRJ", "/8203MIRD+");
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(state.range(0))); // sparse past the header
    quenlo::ProjectHeader prjheader{};
    NoMessages messages;
    for (auto _ : state) {
        if (quenlo::fixprojectfile(path, prjheader, messages) != quenlo::FixOutcome::Fixed)
            state.SkipWithError("the file was not fixed");
        state.PauseTiming();
        quenlo::openforupdate(path)->write(1, std::string_view("/8203"));
        state.ResumeTiming();
    }
}

BENCHMARK(fix)->Name("fix/bytes")->Arg(10)->Arg(1 << 20)->Arg(std::int64_t{4} << 30)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
