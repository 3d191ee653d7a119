// Whole matches on a mod, played in throwaway child processes: the physics
// engine ends the program on values it cannot take, so each match runs in
// a fork of the test, and the test reads how it ended and what it printed.
// The game's records are the parent's, copied into the child.
#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cmath>
#include <functional>
#include <string>
#include <vector>
#include "app/base/text.h"
#include "game/game_resets.h"
#include "game/protocol/replay_file.h"
#include "game/turn_control.h"
#include "match_setup.h"
#include "support/test_support.h"

namespace kxtest {

// How a child ended: "ok", "exit N" or "signal N".
struct ChildEnd {
    std::string how;
    std::string err;   // its standard error
};

// Runs fn in a child with standard error in err_path; the child exits with
// fn's result. Children still running after 600 s are ended by an alarm.
inline pid_t start_child(const std::function<int()> &fn, const std::string &err_path)
{
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    alarm(600);
    const int fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        dup2(fd, 2);
        close(fd);
    }
    const int fd_out = open("/dev/null", O_WRONLY);
    if (fd_out >= 0)
        dup2(fd_out, 1);
    const int r = fn();
    fflush(stderr);
    _exit(r);
}

inline ChildEnd wait_child(pid_t pid, const std::string &err_path)
{
    int status = 0;
    ChildEnd end;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        end.how = "not started";
    else if (WIFEXITED(status))
        end.how = WEXITSTATUS(status) == 0 ? "ok" : "exit " + std::to_string(WEXITSTATUS(status));
    else
        end.how = "signal " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : -1);
    end.err = read_file(err_path);
    return end;
}

// Runs every job in its own child, at most `parallel` at a time; the ends
// in the jobs' order.
inline std::vector<ChildEnd> run_children(const std::vector<std::function<int()>> &jobs, int parallel = 4)
{
    std::vector<ChildEnd> ends(jobs.size());
    std::vector<std::pair<pid_t, size_t>> running;
    auto err_path = [](size_t i) { return "child-" + std::to_string(i) + ".err"; };
    auto reap_one = [&]() {
        const auto [pid, i] = running.front();
        ends[i] = wait_child(pid, err_path(i));
        running.erase(running.begin());
    };
    for (size_t i = 0; i < jobs.size(); i++) {
        if ((int)running.size() >= parallel)
            reap_one();
        running.push_back({start_child(jobs[i], err_path(i)), i});
    }
    while (!running.empty())
        reap_one();
    return ends;
}

// Each child ended normally and printed its mod's `message`; a mod
// without one printed nothing containing `unrefused` (no refusal).
template <class Mod>
void expect_ends_with_messages(const std::vector<ChildEnd> &ends, const std::vector<Mod> &mods, const char *unrefused)
{
    for (size_t i = 0; i < mods.size(); i++) {
        SCOPED_TRACE(mods[i].name);
        EXPECT_EQ(ends[i].how, "ok") << ends[i].err.substr(0, 2000);
        if (mods[i].message)
            EXPECT_NE(ends[i].err.find(mods[i].message), std::string::npos) << ends[i].err.substr(0, 2000);
        else
            EXPECT_EQ(ends[i].err.find(unrefused), std::string::npos) << ends[i].err.substr(0, 2000);
    }
}

inline bool bodies_finite()
{
    for (int i = 0; i < get_game_globals()->built_players; i++)
        for (dBodyID b : get_player(i)->bodies) {
            const dReal *p = dBodyGetPosition(b), *q = dBodyGetQuaternion(b);
            for (int c = 0; c < 4; c++)
                if ((c < 3 && !std::isfinite(p[c])) || !std::isfinite(q[c]))
                    return false;
        }
    return true;
}

// Child exit codes of play_mod_everywhere.
enum { CHILD_NOT_FINITE = 3, CHILD_NO_REPLAY = 4, CHILD_MOD_NOT_SET = 5 };

// The mod data/mod/<name> as the console sets it and a new game on it, a
// short match (120 frames in turns of 10), the live world on: 0, or
// CHILD_MOD_NOT_SET.
inline int new_short_mod_game(const std::string &name)
{
    if (set_rules_option("mod", name.c_str(), get_next_match_rules()) != 0)
        return CHILD_MOD_NOT_SET;
    MatchRules *next = get_next_match_rules();
    next->matchframes = 120;
    rules_set_turnframes(next, "10");
    reset_game();
    leave_ghost_mode();
    return 0;
}

// The first lines of a replay whose NEWGAME line names the mod under the
// default rules.
inline std::string replay_head_naming_mod(const std::string &mod)
{
    MatchRules r;
    fill_default_rules(0, &r);
    n_strncpyz(r.mod, mod.c_str(), sizeof r.mod);
    return "#!/usr/bin/kaelmund\nVERSION 0\n" + std::string(make_newgame_line(0, &r));
}

// The mod data/mod/<name> as the console sets it, a new game with the
// single-play rules, every turn played (both fighters gripping) to the end
// of the match, the replay of the match shown after it; then a replay file
// whose NEWGAME line names the mod, read and played back, then taken over
// and played on. extra_lines go into that file after its frames. Returns
// 0, or one of the codes above.
inline int play_mod_everywhere(const std::string &name, const std::string &replay_name,
                               const std::string &extra_lines = "")
{
    get_game_globals()->replay_mode = 0;   // a replay that plays keeps its mod
    if (set_rules_option("mod", name.c_str(), get_next_match_rules()) != 0)
        return CHILD_MOD_NOT_SET;
    reset_game();
    leave_ghost_mode();
    for (int t = 0; t < 400 && !get_game_state()->game_over; t++) {
        set_grip(0, R_HAND, GRIP_ON);
        set_grip(1, L_HAND, GRIP_ON);
        play_turn(t, 3);
    }
    start_playback(0);
    for (int k = 0; k < get_game_state()->frames_recorded + 20; k++)
        run_match_tick(0);
    if (!bodies_finite())
        return CHILD_NOT_FINITE;

    std::string replay = replay_head_naming_mod(name);
    for (int f = 0; f < 80; f += 10)
        replay += "FRAME " + std::to_string(f) + "; 0 0\nJOINT 0; 1 " + std::to_string(1 + f % 4) +
                  " 4 2 14 1\nJOINT 1; 2 3 5 1\nGRIP 1; 0 1\n" + extra_lines;
    write_file(replay_name, replay);
    if (read_replay_file(replay_name.c_str()) != 0)
        return CHILD_NO_REPLAY;
    start_playback(0);
    for (int k = 0; k < 100; k++)
        run_match_tick(0);
    enter_edit_mode();
    for (int t = 0; t < 3 && !get_game_state()->game_over; t++)
        play_turn(t, 3);
    return bodies_finite() ? 0 : CHILD_NOT_FINITE;
}

} // namespace kxtest
