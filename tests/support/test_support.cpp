#include "support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <ftw.h>
#include <unistd.h>
#include <limits.h>

namespace kxtest {

static int remove_entry(const char *path, const struct stat *, int, struct FTW *)
{
    return ::remove(path);
}

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/kxtest.XXXXXX";
    char buf[PATH_MAX];
    snprintf(buf, sizeof buf, "%s", templ.c_str());
    if (!mkdtemp(buf))
        throw std::runtime_error("mkdtemp failed");
    path_ = buf;
}

TempDir::~TempDir()
{
    nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

ScopedChdir::ScopedChdir(const std::string &dir)
{
    char buf[PATH_MAX];
    if (getcwd(buf, sizeof buf))
        old_ = buf;
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir()
{
    if (!old_.empty() && chdir(old_.c_str()) != 0)
        perror("chdir back");
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

} // namespace kxtest
