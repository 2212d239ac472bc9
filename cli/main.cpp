// quenlo-fix: the command-line companion of the Quenlo window.
#include "exitguard.h"
#include "interrupt.h"
#include "librarysearch.h"
#include "namedfiles.h"
#include "options.h"
#include "run.h"
#include "standardstreams.h"
#include "systemstart.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>

namespace {

// Memory that runs out where it cannot be caught (a thread of ours, a
// destructor) still ends the run with its reason, never with an abort; a
// header write under way is finished first.
[[noreturn]] void onterminate()
{
    try {
        if (const auto pending = std::current_exception())
            std::rethrow_exception(pending);
    } catch (const std::bad_alloc &) {
        std::fputs("quenlo-fix: out of memory\n", stderr);
        quenlo::endnow(quenlo::cli::kFailed);
    } catch (...) {
    }
    std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    quenlo::loadsystemlibrariesonly();
    std::set_terminate(onterminate);
    // Before anything is opened: a missing standard stream gets the null
    // device, so that no project file can take its place.
    const auto missing = quenlo::openstandardstreams();
    // A write past the file-size limit or onto a closed pipe fails with an
    // error we report; it never ends the program half-way.
    quenlo::cli::ignorefatalsignals();
    auto output = quenlo::cli::standardoutput();
    std::ostream &out = output.out ? *output.out : std::cout;
    std::ostream &err = output.err ? *output.err : std::cerr;

    // Every file fixed must have its line: with nowhere to print it, no
    // file is touched.
    if (missing.out) {
        err << "quenlo-fix: standard output is closed: no file was touched" << std::endl;
        return quenlo::cli::kFailed;
    }
    const auto parsed = quenlo::cli::parseoptions(quenlo::cli::commandarguments(argc, argv), out, err);
    if (const auto *status = std::get_if<int>(&parsed))
        return *status;
    // Ctrl-C lets the files under way finish and their lines be printed.
    quenlo::cli::catchinterrupts();
    return quenlo::cli::run(std::get<quenlo::cli::Options>(parsed), out, err, quenlo::cli::namedfiles(),
                            output.terminals);
}
