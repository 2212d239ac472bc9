#include "namedfiles.h"

#include "posixat.h"

namespace quenlo::cli {

namespace {

class NamedFiles final : public FileService {
public:
    std::unique_ptr<File> open(const std::string &path) override
    {
        return posix::openforupdate({AT_FDCWD, path, true, true}, path);
    }
    std::unique_ptr<File> openforreading(const std::string &path) override
    {
        return posix::openforreading({AT_FDCWD, path, true, true}, path);
    }
    std::unique_ptr<File> openforlook(const std::string &path) override
    {
        return posix::openforlook({AT_FDCWD, path, true, true}, path);
    }
};

} // namespace

FileService &namedfiles()
{
    static NamedFiles files;
    return files;
}

} // namespace quenlo::cli
