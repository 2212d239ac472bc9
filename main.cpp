// Quenlo: the run-time shows the window and runs until it is closed.
#include "frmquenlo.h"
#include "standardstreams.h"
#include "start.h"

#include <csignal>

int main(int argc, char *argv[])
{
    // The toolkit writes its warnings to standard error: a project file must
    // never be the one to receive them.
    quenlo::openstandardstreams();
#ifdef SIGXFSZ
    // Past the file-size limit a write must fail with an error we can report,
    // not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return quenlo::runwindow(argc, argv, quenlo::frmquenlo::description(), [](const quenlo::FormContext &context) {
        return std::make_unique<quenlo::frmquenlo>(context);
    });
}
