#include "file.h"

namespace quenlo {

namespace {

class SystemFiles final : public FileService {
public:
    std::unique_ptr<File> open(const std::string &path) override { return openforupdate(path); }
    std::unique_ptr<File> openforreading(const std::string &path) override { return quenlo::openforreading(path); }
    std::unique_ptr<File> openforlook(const std::string &path) override { return quenlo::openforlook(path); }
};

} // namespace

FileService &systemfiles()
{
    static SystemFiles files;
    return files;
}

} // namespace quenlo
