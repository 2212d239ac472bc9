#include "namedfiles.h"

#include "error.h"
#include "linkowner.h"
#include "widepath.h"

namespace quenlo::cli {

namespace {

// A link named is followed under the walk's rule for links; otherwise the
// names are opened as systemfiles() opens them.
void refuselink(const std::string &path)
{
    std::wstring exact;
    try {
        exact = widepath(path);
    } catch (const Error &) {
        return; // the open says why
    }
    refuseunlessfollowable(exact, path, "cannot open: ");
}

class NamedFiles final : public FileService {
public:
    std::unique_ptr<File> open(const std::string &path) override
    {
        refuselink(path);
        return quenlo::openforupdate(path);
    }
    std::unique_ptr<File> openforreading(const std::string &path) override
    {
        refuselink(path);
        return quenlo::openforreading(path);
    }
};

} // namespace

FileService &namedfiles()
{
    static NamedFiles files;
    return files;
}

} // namespace quenlo::cli
