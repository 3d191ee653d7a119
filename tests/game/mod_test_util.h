// Shared set-up of the mod tests: a temporary run folder with data/mod and
// custom/, the game started (two players), and helpers to look at the
// loaded record.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cstring>
#include <string>
#include <vector>
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/mod_file.h"
#include "game/mod_statements.h"
#include "game/world_build.h"
#include "support/test_support.h"

class ModTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkdir("data", 0755);
        mkdir("data/mod", 0755);
        mkdir("custom", 0755);
        ASSERT_EQ(init_game(), 0);
        get_game_globals()->replay_mode = 0;   // a replay left playing would lock the rules
        fill_default_rules(0, get_match_rules());
        fill_default_rules(0, get_mod_rules());
    }
    void TearDown() override { free_game(); }

    static void write_mod(const std::string &name, const std::string &text)
    {
        kxtest::write_file("data/mod/" + name, text);
    }
    static void write_overlay(const std::string &fighter, const std::string &text)
    {
        mkdir(("custom/" + fighter).c_str(), 0755);
        kxtest::write_file("custom/" + fighter + "/rpg.kxm", text);
    }
    // Everything a statement can change: the loaded record, both players'
    // tables and the mod rules.
    static std::vector<unsigned char> snapshot()
    {
        std::vector<unsigned char> s;
        auto add = [&s](const void *p, size_t n) {
            const unsigned char *b = static_cast<const unsigned char *>(p);
            s.insert(s.end(), b, b + n);
        };
        const ModWorld *m = get_loaded_mod_world();
        add(m->env_objects, sizeof m->env_objects);
        add(m->env_joints, sizeof m->env_joints);
        add(m->colors, sizeof m->colors);
        add(&m->friction, sizeof m->friction);
        add(&m->object_surface, sizeof m->object_surface);
        for (int p = 0; p < 2; p++) {
            add(get_loaded_body_table(p), sizeof(BodyDef) * BODY_DEF_ROWS);
            add(get_loaded_joint_table(p), sizeof(JointDef) * JOINT_DEF_ROWS);
        }
        add(get_mod_rules(), sizeof(MatchRules));
        return s;
    }
    // Loads a mod; returns what it printed on standard error.
    static std::string load_errors(const std::string &name, int expected = 0)
    {
        testing::internal::CaptureStderr();
        EXPECT_EQ(load_mod(name.c_str()), expected) << name;
        return testing::internal::GetCapturedStderr();
    }
    // Runs the lines and returns what they printed on standard error.
    static std::string run_lines(const std::vector<std::string> &lines)
    {
        testing::internal::CaptureStderr();
        for (const std::string &l : lines)
            parse_mod_cmd(l.c_str());
        return testing::internal::GetCapturedStderr();
    }

    kxtest::TempDir dir_;
    kxtest::ScopedChdir cd_{dir_.path()};
};
