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

    // Writes `bytes` to a new file `name` (UTF-8) in the folder; returns its
    // path in UTF-8, as the file services take it.
    std::string write(const std::string &name, const std::string &bytes) const;

private:
    std::filesystem::path path_;
};

// A UTF-8 path as the file system library takes it, on every platform.
std::filesystem::path fromutf8(const std::string &path);
std::string toutf8(const std::filesystem::path &path);

// The whole content of the file at `path`.
std::string readall(const std::filesystem::path &path);
inline std::string readall(const std::string &utf8path) { return readall(fromutf8(utf8path)); }

} // namespace quenlo::test
