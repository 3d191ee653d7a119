// A temporary run folder with data/script/ for script tests.
#pragma once
#include <string>
#include <sys/stat.h>

#include "support/test_support.h"

struct ScriptFolder {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd;

    explicit ScriptFolder(const std::string &startup = "") : cd(dir.path())
    {
        mkdir(dir.file("data").c_str(), 0755);
        mkdir(dir.file("data/script").c_str(), 0755);
        if (!startup.empty())
            script("startup.lua", startup);
    }
    void script(const std::string &name, const std::string &text)
    {
        kxtest::write_file(dir.file("data/script/" + name), text);
    }
};
