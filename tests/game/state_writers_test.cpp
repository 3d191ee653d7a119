// The state writers of the protocol: a fighter's state and the objects'
// state written as lines and as blocks, read back through the line
// handlers of the game-server and the replay column.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/base/text.h"
#include "game/env_objects.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_start.h"
#include "game/protocol/command_table.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/protocol/state_writers.h"
#include "game/received_state.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "support/test_support.h"
#include "match_setup.h"
#include "world_fixture.h"

namespace {

// Hands what a writer wrote to parse_cmd as a reader of the stream would:
// a line ends at a line feed or a NUL; the unit after a block row is its
// block (the count word and as many words again).
void feed(int source, const char *data, int length)
{
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    int at = 0;
    while (at < length) {
        if (cursor.pending) {
            ASSERT_LE(at + 4, length);
            const uint32_t count = (uint8_t)data[at] | (uint8_t)data[at + 1] << 8 | (uint8_t)data[at + 2] << 16 |
                                   (uint32_t)(uint8_t)data[at + 3] << 24;
            ASSERT_LE(at + 4 * (int)count, length);
            EXPECT_EQ(parse_cmd(source, data + at, 4 * (int)count, &cursor), 0);
            at += 4 * (int)count;
            continue;
        }
        int end = at;
        while (end < length && data[end] != '\n' && data[end] != '\0')
            end++;
        const std::string line(data + at, (size_t)(end - at));
        if (!line.empty()) {
            EXPECT_EQ(parse_cmd(source, line.c_str(), -1, &cursor), 0) << line;
        }
        at = end + 1;
    }
}

class StateWriters : public WorldTest {
protected:
    // Fighter 1 in the middle of a turn: moved, turned, spinning, with
    // states, a dismembered and a fractured joint and a grip.
    static FighterStateRecord stirred_fighter()
    {
        fill_default_rules(0, get_match_rules());
        get_match_rules()->flags = 0;   // no other break
        break_joint(1, L_ELBOW, JOINT_DISMEMBERED);
        break_joint(1, R_KNEE, JOINT_FRACTURED);
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(1, j, 1 + j % 4);
        set_grip(1, L_HAND, GRIP_ON);
        for (int k = 0; k < 20; k++)
            step_world(0);
        FighterStateRecord s;
        EXPECT_EQ(take_fighter_state(1, &s), 0);
        return s;
    }
};

} // namespace

// Text lines carry eight decimals, blocks millionths: the server column
// puts every value into the fighter's received state, the motors into its
// hinges, the breaks into its pending breaks and the joints and grips into
// its wishes.
TEST_F(StateWriters, AFightersStateReadsBackThroughTheServerColumn)
{
    const FighterStateRecord s = stirred_fighter();
    EXPECT_EQ(s.broken[L_ELBOW], JOINT_DISMEMBERED);
    EXPECT_EQ(s.grips[GRIP_LEFT], GRIP_ON);
    int driven = 0;
    for (int j = 0; j < JOINT_COUNT; j++)
        driven += s.hinge_fmax[j] > 0 && s.hinge_vel[j] != 0;
    EXPECT_GT(driven, 5);
    for (int blocks = 0; blocks < 2; blocks++) {
        SCOPED_TRACE(blocks);
        clear_received_state();
        clear_pending_breaks();
        Player *p = get_player(1);
        p->received_mask = 0;
        std::vector<char> out(FIGHTER_STATE_TEXT_MAX);
        const int n = blocks ? write_fighter_state_blocks(1, &s, out.data(), (int)out.size())
                             : write_fighter_state_lines(1, &s, out.data(), (int)out.size());
        ASSERT_GT(n, 0);
        if (!blocks) {
            EXPECT_EQ(strlen(out.data()), (size_t)n);   // text only
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            dJointSetHingeParam(p->hinges[j], dParamVel, 0);
            dJointSetHingeParam(p->hinges[j], dParamFMax, 0);
            p->motor_wish[j] = 0;
        }
        p->grip_wish[GRIP_LEFT] = GRIP_NONE;
        feed(CMD_SOURCE_SERVER, out.data(), n);

        const ReceivedState *r = get_received_state(1);
        const double tol = blocks ? 5.1e-7 : 5.1e-9;
        for (int b = 0; b < BODY_COUNT; b++) {
            for (int c = 0; c < 3; c++) {
                EXPECT_NEAR(r->positions[b][c], s.positions[b][c], tol) << b;
                EXPECT_NEAR(r->angular_vel[b][c], s.angular_vel[b][c], tol) << b;
                EXPECT_NEAR(r->linear_vel[b][c], s.linear_vel[b][c], tol) << b;
            }
            for (int c = 0; c < 4; c++)
                EXPECT_NEAR(r->rotations[b][c], s.rotations[b][c], tol) << b;
        }
        EXPECT_EQ(p->received_mask, RECV_POSITIONS | RECV_ROTATIONS | RECV_ANGULAR_VEL | RECV_LINEAR_VEL |
                                        RECV_DISMEMBER | RECV_FRACTURE | RECV_HINGE_VEL | RECV_HINGE_FMAX);
        for (int j = 0; j < JOINT_COUNT; j++) {
            EXPECT_NEAR(r->hinge_vel[j], s.hinge_vel[j], 5.1e-5) << j;
            EXPECT_NEAR(r->hinge_fmax[j], s.hinge_fmax[j], 5.1e-5) << j;
            EXPECT_NEAR(dJointGetHingeParam(p->hinges[j], dParamVel), s.hinge_vel[j], 5.1e-5) << j;
            EXPECT_NEAR(dJointGetHingeParam(p->hinges[j], dParamFMax), s.hinge_fmax[j], 5.1e-5) << j;
            EXPECT_EQ(p->motor_wish[j], s.joint_states[j]) << j;
            const int broken = j == L_ELBOW ? JOINT_DISMEMBERED : j == R_KNEE ? JOINT_FRACTURED : 0;
            EXPECT_EQ(get_pending_breaks(1)[j].type, broken) << j;
        }
        EXPECT_EQ(p->grip_wish[GRIP_LEFT], GRIP_ON);
        EXPECT_EQ(p->grip_wish[GRIP_RIGHT], GRIP_NONE);
        EXPECT_EQ(p->ready, 1);   // a JOINT line commits the fighter's turn
    }
}

// Each part alone, and what does not fit: the text line of a part is the
// same whether written alone or with the others, a part has a block only
// for the body rows, and a buffer too small or a fighter not there gives -1.
TEST_F(StateWriters, PartsFitOrAreRefused)
{
    const FighterStateRecord s = stirred_fighter();
    char all[FIGHTER_STATE_TEXT_MAX];
    ASSERT_GT(write_fighter_state_lines(1, &s, all, sizeof all), 0);
    std::string joined;
    for (int part = 0; part < STATE_PARTS; part++) {
        char one[2048];
        const int n = write_fighter_state_part(1, part, 0, &s, one, sizeof one);
        ASSERT_GT(n, 0) << part;
        joined += one;
        EXPECT_EQ(write_fighter_state_part(1, part, 1, &s, one, sizeof one) > 0, part < STATE_BLOCK_PARTS) << part;
        EXPECT_EQ(write_fighter_state_part(1, part, 0, &s, one, n), -1) << part;   // no room for the end
    }
    EXPECT_EQ(joined, all);
    EXPECT_EQ(joined.find("CRUSH 1; 9\nFRACT 1; 16\nJOINT 1; 0 "), joined.find("CRUSH"));
    EXPECT_NE(joined.find("\nGRIP 1;1 0\n"), std::string::npos);
    EXPECT_EQ(write_fighter_state_lines(2, &s, all, sizeof all), -1);
    EXPECT_EQ(write_fighter_state_blocks(1, &s, all, 100), -1);
    FighterStateRecord none;
    EXPECT_EQ(take_fighter_state(-1, &none), 1);
}

// The objects that take state, from a mod with a static object among them:
// the text lines fill the replay frame being read, the block the objects'
// received state (game server) and the replay frame (replay column).
TEST(StateWritersObjects, ObjectsReadBackThroughBothColumns)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    MatchRules rules;
    ASSERT_EQ(start_object_arena_match(&rules), 0);
    start_turn_frames(12);
    for (int k = 0; k < 12; k++)
        run_match_tick(0);
    EnvStateRecord s;
    take_env_state(&s);
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(s.slot[0], 1);   // slot 0 is the static object
    EXPECT_EQ(s.slot[1], 2);

    char out[ENV_STATE_TEXT_MAX];
    for (int blocks = 0; blocks < 2; blocks++) {
        SCOPED_TRACE(blocks);
        const int n = blocks ? write_env_state_block(&s, out, sizeof out) : write_env_state_lines(&s, out, sizeof out);
        ASSERT_GT(n, 0);
        truncate_replay(0);
        replay_reader_reset();
        feed(CMD_SOURCE_REPLAY, out, n);
        const ReplayFrame *rf = get_replay_frame(0);
        EXPECT_EQ(rf->objects_valid, 1);
        const double tol = blocks ? 5.1e-7 : 5.1e-9;
        for (int k = 0; k < s.count; k++) {
            const int slot = s.slot[k];
            for (int c = 0; c < 3; c++) {
                EXPECT_NEAR(rf->object_pos[slot][c], s.positions[k][c], tol) << k;
                EXPECT_NEAR(rf->object_angular_vel[slot][c], s.angular_vel[k][c], tol) << k;
                EXPECT_NEAR(rf->object_linear_vel[slot][c], s.linear_vel[k][c], tol) << k;
            }
            for (int c = 0; c < 4; c++)
                EXPECT_NEAR(rf->object_rot[slot][c], s.rotations[k][c], tol) << k;
        }
    }
    const int n = write_env_state_block(&s, out, sizeof out);
    get_mod_world()->env_received = 0;
    feed(CMD_SOURCE_SERVER, out, n);
    EXPECT_EQ(get_mod_world()->env_received, 1);
    for (int k = 0; k < s.count; k++)
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(get_env_object_def(s.slot[k])->state_pos[c], s.positions[k][c], 5.1e-7) << k;

    // No object that takes state: nothing to write.
    EnvStateRecord none{};
    EXPECT_EQ(write_env_state_lines(&none, out, sizeof out), 0);
    EXPECT_EQ(write_env_state_block(&none, out, sizeof out), 0);
    EXPECT_EQ(write_env_state_lines(&s, out, 40), -1);
    free_game();
}
