// Runs read_command_line on the given arguments, with the program name in
// front as a real start would have it.
#pragma once
#include <string>
#include <vector>

#include "app/base/command_line.h"

inline void run_args(std::vector<std::string> args)
{
    args.insert(args.begin(), "kaelmund");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(&a[0]);
    read_command_line((int)argv.size(), argv.data());
}
