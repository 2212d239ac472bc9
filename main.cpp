// Quenlo: the run-time shows the window and runs until it is closed.
#include "commandline.h"
#include "frmquenlo.h"
#include "fullpath.h"
#include "librarysearch.h"
#include "standardstreams.h"
#include "start.h"

#include <csignal>

int main(int argc, char *argv[])
{
    quenlo::loadsystemlibrariesonly();
    // The toolkit writes its warnings to standard error: a project file must
    // never be the one to receive them.
    const auto missing = quenlo::openstandardstreams();
#ifdef SIGXFSZ
    // Past the file-size limit a write must fail with an error we can report,
    // not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The help, the version and a wrong command line need no screen.
    auto commandline = quenlo::parsecommandline(quenlo::programarguments(argc, argv));
    if (const auto *reply = std::get_if<quenlo::CommandLineReply>(&commandline)) {
        if (quenlo::tell(reply->text, reply->status != 0, missing, "Quenlo") || reply->status != 0)
            return reply->status;
        quenlo::tell("quenlo: cannot write to standard output\n", true, missing, "Quenlo");
        return 2;
    }
    auto &files = std::get<std::vector<std::string>>(commandline);
    for (auto &file : files)
        file = quenlo::fullpath(file);
    return quenlo::runwindow(argc, argv, quenlo::frmquenlo::description(), [&files](const quenlo::FormContext &context) {
        auto form = std::make_unique<quenlo::frmquenlo>(context);
        form->startwith(files);
        return form;
    });
}
