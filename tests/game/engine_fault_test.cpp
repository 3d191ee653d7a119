// An internal error of the physics engine in a step ends the match in that
// world, never the program: through the live step of a committed turn, the
// ghost preview's step, a replay taken over (E) and committed (Space), and
// in the collision pass, on the mods that ended the program before. Each
// scenario runs in a child process, so that an engine abort fails the test
// instead of ending the test program; the fault is made deterministic by
// the engine's own checks (engine_fail_next_step_for_test).
#include <gtest/gtest.h>
#include <signal.h>
#include <string>
#include <vector>
#include "app/base/options.h"
#include "child_match.h"
#include "game/engine_step.h"
#include "game/engine_world.h"
#include "mod_test_util.h"
#include "support/found_engine_mods.h"

namespace {

// Sixteen heavy objects of 10 m, bouncing and thrust, at one place.
std::string sixteen_heavy()
{
    static const char *const shapes[] = {"sphere", "cylinder", "box"};
    std::string s;
    for (int i = 1; i <= 16; i++)
        s += "env_obj " + std::to_string(i) + "\nshape " + shapes[i % 3] +
             "\nsides 10 10 10\nmass 1000000\nbounce 100\nthrust 1 -100000 -100000 -100000\n";
    return s;
}

// Four heavy cylinders at the default place beside two light bodies pushed
// every frame.
std::string cylinders_and_pushed_bodies()
{
    std::string s;
    for (int i = 1; i <= 4; i++)
        s += "env_obj " + std::to_string(i) + "\nshape cylinder\nsides 10 10 10\nmass 1000000\nbounce 1\n";
    for (const char *body : {"r_hand", "r_butt"})
        s += std::string("body ") + body + "\ndensity 1\nthrust 1 100000 100000 100000\n";
    return s;
}

enum Path { LIVE, GHOST, REPLAY_TAKEN_OVER };

// Child exit codes.
enum {
    NOT_OVER = 10,        // the fault did not end the match
    NO_WORLD = 11,        // no world after it
    STILL_RUNNING = 12,   // the world was not left frozen
    NOT_SAVED = 13,       // no automatic save of the match
    DEFAULT_NOT_OVER = 14,
    NO_FAULT = 15,        // the armed fault never came
};

int g_autosaves;

// Ticks until the match is over or waits for the player.
void tick_until_waiting(int most)
{
    for (int k = 0; k < most && !get_game_state()->game_over && !match_waiting(); k++)
        run_match_tick(0);
}

// The fault, armed where the path reaches the engine, and the match ended
// by it; then a default game played to its end. 0 when all held.
int fail_on_path(const std::string &mod, Path path, int fault)
{
    option_set(OPT_AUTOSAVE, 1);
    game_callbacks()->replay_autosave = [] { return ++g_autosaves, 0; };
    if (const int rc = kxtest::new_short_mod_game(mod))
        return rc;
    WorldState *w = get_game_state();
    const int kept_before = engine_kept_block_count();
    switch (path) {
    case LIVE:
        engine_fail_next_step_for_test(fault);
        play_turn(0, 0);
        break;
    case GHOST:
        play_turn(0, 0);
        engine_fail_next_step_for_test(fault);
        restart_ghost(1);
        for (int k = 0; k < 10 && !w->game_over; k++)
            run_match_tick(0);
        break;
    case REPLAY_TAKEN_OVER: {
        std::string replay = kxtest::replay_head_naming_mod(mod);
        for (int f = 0; f < 40; f += 10)
            replay += "FRAME " + std::to_string(f) + "; 0 0\nJOINT 0; 1 " + std::to_string(1 + f % 4) +
                      " 4 2\nJOINT 1; 2 3 5 1\n";
        kxtest::write_file("named.rpl", replay);
        if (read_replay_file("named.rpl") != 0)
            return kxtest::CHILD_NO_REPLAY;
        start_playback(0);
        for (int k = 0; k < 20; k++)
            run_match_tick(0);
        enter_edit_mode();   // E
        engine_fail_next_step_for_test(fault);
        commit_turn(0);      // Space
        tick_until_waiting(400);
        for (int k = 0; k < 10 && !w->game_over; k++)
            run_match_tick(0);
        break;
    }
    }
    if (last_engine_fault() || !w->game_over)
        return NOT_OVER;
    if (!get_game_globals()->world || !kxtest::bodies_finite())
        return NO_WORLD;
    const int frame = w->frame;
    for (int k = 0; k < 200; k++)
        run_match_tick(0);
    if (w->frame != frame || !w->frozen)
        return STILL_RUNNING;
    if (g_autosaves != 1)
        return NOT_SAVED;
    // A step that failed inside the engine's jobs leaves a record or two of
    // them kept; a failed collision leaves none.
    if (fault == ENGINE_TEST_COLLISION && engine_kept_block_count() != kept_before)
        return NO_WORLD;

    if (const int rc = kxtest::new_short_mod_game("classic"))
        return rc;
    for (int t = 0; t < 100 && !w->game_over; t++)
        play_turn(t, 3);
    return w->game_over && kxtest::bodies_finite() ? 0 : DEFAULT_NOT_OVER;
}

struct Scenario {
    const char *mod;
    Path path;
    int fault;
    const char *place;   // the part of the world the message names
};

class EngineFaults : public ModTest {
protected:
    void SetUp() override
    {
        ModTest::SetUp();
        write_mod("sixteen.kxm", sixteen_heavy());
        write_mod("cylinders.kxm", cylinders_and_pushed_bodies());
    }
};

} // namespace

// The solver itself fails on the found mods: twelve turns with 15 frames
// of preview before each, then a default game to its end.
TEST_F(EngineFaults, TheSolverFailingOnFoundModsEndsTheMatchAndTheGamePlaysOn)
{
    write_mod("found_world.kxm", found_mod_text(k_found_in_world));
    write_mod("found_preview.kxm", found_mod_text(k_found_in_preview));
    std::vector<std::function<int()>> jobs;
    for (const char *mod : {"found_world.kxm", "found_preview.kxm"})
        jobs.push_back([mod] {
            if (const int rc = kxtest::new_short_mod_game(mod))
                return rc;
            for (int t = 0; t < 12 && !get_game_state()->game_over; t++)
                play_turn(t, 15);
            if (!get_game_state()->game_over)
                return (int)NOT_OVER;
            if (const int rc = kxtest::new_short_mod_game("classic"))
                return rc;
            for (int t = 0; t < 100 && !get_game_state()->game_over; t++)
                play_turn(t, 3);
            return get_game_state()->game_over && kxtest::bodies_finite() ? 0 : (int)DEFAULT_NOT_OVER;
        });
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs, 2);
    const char *const places[] = {"world of the match on mod found_world.kxm",
                                  "ghost preview of the match on mod found_preview.kxm"};
    for (size_t i = 0; i < ends.size(); i++) {
        EXPECT_EQ(ends[i].how, "ok") << ends[i].err.substr(0, 3000);
        EXPECT_NE(ends[i].err.find(std::string("The physics engine failed in the ") + places[i]), std::string::npos)
            << ends[i].err.substr(0, 3000);
        EXPECT_NE(ends[i].err.find("dxLDLTRemove"), std::string::npos) << ends[i].err.substr(0, 3000);
    }
}

TEST_F(EngineFaults, AFailedStepEndsTheMatchNamingTheModAndTheGamePlaysOn)
{
    const std::vector<Scenario> scenarios = {
        {"sixteen.kxm", LIVE, ENGINE_TEST_STEP, "world"},
        {"cylinders.kxm", LIVE, ENGINE_TEST_STEP, "world"},
        {"sixteen.kxm", GHOST, ENGINE_TEST_GHOST_STEP, "ghost preview"},
        {"cylinders.kxm", GHOST, ENGINE_TEST_GHOST_STEP, "ghost preview"},
        {"sixteen.kxm", REPLAY_TAKEN_OVER, ENGINE_TEST_GHOST_STEP, "ghost preview"},
        {"cylinders.kxm", REPLAY_TAKEN_OVER, ENGINE_TEST_GHOST_STEP, "ghost preview"},
        {"cylinders.kxm", REPLAY_TAKEN_OVER, ENGINE_TEST_STEP, "world"},
        // In the collision pass: caught in the near callback, and raised out
        // of the space's own collision, which leaves the space locked.
        {"cylinders.kxm", LIVE, ENGINE_TEST_COLLISION, "world"},
        {"sixteen.kxm", GHOST, ENGINE_TEST_COLLISION, "ghost preview"},
        {"cylinders.kxm", LIVE, ENGINE_TEST_SPACE, "world"},
        {"cylinders.kxm", GHOST, ENGINE_TEST_SPACE, "ghost preview"},
    };
    std::vector<std::function<int()>> jobs;
    for (const Scenario &s : scenarios)
        jobs.push_back([s] { return fail_on_path(s.mod, s.path, s.fault); });
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs, 3);
    for (size_t i = 0; i < scenarios.size(); i++) {
        const Scenario &s = scenarios[i];
        SCOPED_TRACE(std::string(s.mod) + " path " + std::to_string(s.path) + " fault " + std::to_string(s.fault));
        EXPECT_EQ(ends[i].how, "ok") << ends[i].err.substr(0, 3000);
        EXPECT_NE(ends[i].err.find(std::string("The physics engine failed in the ") + s.place +
                                   " of the match on mod " + s.mod),
                  std::string::npos)
            << ends[i].err.substr(0, 3000);
        EXPECT_EQ(ends[i].err.find("cannot go on"), std::string::npos) << ends[i].err.substr(0, 3000);
    }
}

// The player sees the end: the console line and the centre print name the
// mod, and a script's end_game hook hears of it. In the same process, where
// the sanitizer build checks for leaks at the end, failures in the step and
// in the collision pass, many in a row, leave no step memory behind and
// drop no world. (A fault out of the space's own collision drops its world
// and with it the collision's temporaries, which the engine allocates where
// nothing can reach them: that path runs in the children above.)
TEST_F(EngineFaults, ThePlayerIsToldAndFailedWorldsLeaveNothingBehind)
{
    std::vector<std::string> centre;
    static std::vector<std::string> *centre_lines;
    centre_lines = &centre;
    static int end_hooks;
    end_hooks = 0;
    EchoCapture echo;
    game_callbacks()->centerprint = [](WorldState *, int, int, int, const char *a, const char *b, const char *) {
        centre_lines->push_back(std::string(a ? a : "") + "|" + (b ? b : ""));
    };
    game_callbacks()->fire_hook = [](int hook, int) { end_hooks += hook == HOOK_END_GAME; };
    const int dropped = engine_dropped_worlds();
    std::string err = kxtest::stderr_of([] {
        for (int round = 0; round < 6; round++) {
            ASSERT_EQ(kxtest::new_short_mod_game("cylinders.kxm"), 0);
            engine_fail_next_step_for_test(round % 2 == 0 ? ENGINE_TEST_STEP : ENGINE_TEST_COLLISION);
            play_turn(0, 0);
            ASSERT_TRUE(get_game_state()->game_over) << round;
            EXPECT_EQ(engine_step_blocks_in_use(), 0) << round;
        }
    });
    EXPECT_EQ(engine_dropped_worlds(), dropped);
    EXPECT_EQ(end_hooks, 6);
    ASSERT_FALSE(centre.empty());
    EXPECT_EQ(centre.back(), "MATCH ENDED|The physics engine failed on mod cylinders.kxm");
    bool echoed = false;
    for (const std::string &l : echo.lines)
        echoed = echoed || l == "Match ended: The physics engine failed on mod cylinders.kxm";
    EXPECT_TRUE(echoed);
    EXPECT_NE(err.find("Physics engine internal error"), std::string::npos) << err;
    // The fighters keep their names in the world built again.
    EXPECT_STRNE(get_player(0)->name, "");
    ASSERT_EQ(kxtest::new_short_mod_game("classic"), 0);
    for (int t = 0; t < 100 && !get_game_state()->game_over; t++)
        play_turn(t, 3);
    EXPECT_TRUE(get_game_state()->game_over);
    EXPECT_TRUE(kxtest::bodies_finite());
}

// Outside a guarded step an engine error still ends the program, as the
// engine asks: nothing catches it.
TEST_F(EngineFaults, AnErrorOutsideAGuardedStepStillEndsTheProgram)
{
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children({[] {
        dDebug(d_ERR_IASSERT, "unguarded");
        return 0;
    }});
    EXPECT_EQ(ends[0].how, "signal " + std::to_string(SIGABRT));
    EXPECT_NE(ends[0].err.find("The physics engine cannot go on and ends the program"), std::string::npos)
        << ends[0].err;
}
