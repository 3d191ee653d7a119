// Helpers shared by the tests: temporary folders and whole-file reads.
#pragma once
#include <functional>
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
// What is at path, its links not followed: "file", "link", "fifo", "dir"
// or "none".
std::string kind_of(const std::string &path);
// The temporary name beside folder/name that a save by process pid,
// started at start (its clock ticks since boot), writes on its n-th try.
std::string temp_by(const std::string &folder, const std::string &name, long pid, unsigned long long start = 1,
                    int n = 1);
// The id of a process that has ended.
long ended_pid();
// What fn prints on standard error.
std::string stderr_of(const std::function<void()> &fn);
void write_file(const std::string &path, const std::string &content);

// Runs this test program again in a fresh process, with one more environment
// entry ("NAME=value") and only the tests the gtest filter names; returns its
// exit status, or -1 when it could not be run or did not exit.
int run_self(const std::string &gtest_filter, const std::string &env_entry);

// KX_FUZZ_SCALE (1 to 10000; anything else counts as 1): how many times
// their default number of inputs the fuzz tests run (`make fuzz` raises it).
long fuzz_scale();

// Sends standard error (and standard output when asked) to /dev/null for
// the lifetime of the object: the fuzz loops make every reader complain.
class QuietStreams {
public:
    explicit QuietStreams(bool stdout_too);
    ~QuietStreams();
    QuietStreams(const QuietStreams &) = delete;
    QuietStreams &operator=(const QuietStreams &) = delete;
private:
    int out_ = -1, err_ = -1;
};

// A small file system of its own: a tmpfs of size_kb KiB mounted over a
// fresh temporary folder, unmounted at the end. Mounting needs root (or
// the right to mount); ok() is false without, and the test that needs a
// full disk skips.
class SmallDisk {
public:
    explicit SmallDisk(int size_kb);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool ok() const { return ok_; }
    const std::string &path() const { return dir_.path(); }
private:
    TempDir dir_;
    bool ok_ = false;
};

// While the object lives, a write that would make any regular file larger
// than bytes fails (EFBIG, the signal it raises ignored): a write failure
// on real files that needs neither root nor a file system of its own.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
private:
    unsigned long long cur_ = ~0ULL, max_ = ~0ULL;
    void (*old_handler_)(int) = nullptr;
};

// Writes the file until its file system has no room left; true when it
// filled (the last write failed with ENOSPC).
bool fill_disk(const std::string &path);

} // namespace kxtest
