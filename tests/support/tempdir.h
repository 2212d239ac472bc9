#pragma once

#include <filesystem>
#include <string>

namespace quenlo::test {

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return path_; }

    // Writes `bytes` to a new file `name` in the folder; returns its path.
    std::string write(const std::string &name, const std::string &bytes) const;

private:
    std::filesystem::path path_;
};

// The whole content of the file at `path`.
std::string readall(const std::filesystem::path &path);

} // namespace quenlo::test
