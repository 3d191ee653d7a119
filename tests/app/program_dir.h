// The headless program's objects in a fresh folder of their own (the
// working directory while the object lives), the options read and the
// camera set as the window does before its first frame; freed at the end.
#pragma once
#include <gtest/gtest.h>
#include <initializer_list>
#include <sys/stat.h>

#include "app/camera.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "support/test_support.h"

namespace kxtest {

struct ProgramFolder {
    TempDir dir;
    ScopedChdir cd{dir.path()};
    explicit ProgramFolder(std::initializer_list<const char *> folders = {"replay"})
    {
        for (const char *d : folders)
            mkdir(d, 0755);
        EXPECT_EQ(program_create_objects(), 0);
        options_load();
        camera_defaults();
    }
    ~ProgramFolder() { program_destroy_objects(); }
};

} // namespace kxtest
