// Helpers shared by the tests: temporary folders and whole-file reads.
#pragma once
#include <string>

namespace kxtest {

// A fresh folder under the system temp folder, removed with its contents
// when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
private:
    std::string path_;
};

// Changes the working folder for the lifetime of the object.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string &dir);
    ~ScopedChdir();
private:
    std::string old_;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

// Runs this test program again in a fresh process, with one more environment
// entry ("NAME=value") and only the tests the gtest filter names; returns its
// exit status, or -1 when it could not be run or did not exit.
int run_self(const std::string &gtest_filter, const std::string &env_entry);

} // namespace kxtest
