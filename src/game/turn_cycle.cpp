// The turn and frame cycle. The tick calls turn_countdown, then
// check_turn_timeout, then one step: step_world while no ghost preview runs,
// else a step of the ghost (or of its stored trail).
#include "game/turn_cycle.h"
#include <cstring>
#include "app/base/clock.h"
#include "app/base/options.h"
#include "game/collision.h"
#include "game/engine_fault_end.h"
#include "game/world_physics.h"
#include "game/env_objects.h"
#include "game/frame_cache.h"
#include "game/ghost.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_end.h"
#include "game/match_mode.h"
#include "game/match_announce.h"
#include "game/match_rules.h"
#include "game/received_state.h"
#include "game/turn_alerts.h"
#include "game/turn_control.h"
#include "game/game_callbacks.h"

static int g_record_mode = RECORD_EVERY_FRAME;
static int g_turn_just_started;
static ReplayFrame g_held_frame;
static int g_held_valid;

int get_record_mode(void) { return g_record_mode; }
void set_record_mode(int mode) { g_record_mode = mode; }
int turn_just_started(void) { return g_turn_just_started; }
const ReplayFrame *get_held_frame(void) { return g_held_valid ? &g_held_frame : nullptr; }

int game_is_running(void) { return match_is_running(); }

// The frames of the turn with the given index in the rules' list.
static int turnframes_at(int turn_index)
{
    const MatchRules *r = get_match_rules();
    int frames = 0;
    if (r->turnframe_count > 0) {
        const int count = r->turnframe_count < RULES_TURN_LIST_MAX ? r->turnframe_count : RULES_TURN_LIST_MAX;
        const int index = turn_index >= 0 ? turn_index % count : 0;
        frames = r->turnframe_list[index];
    }
    // A list with no entries would divide by zero; an entry below 1 would
    // give a turn without frames (or one that never ends): both take the
    // nominal turn length.
    if (frames < 1)
        frames = rules_nominal_turn_length();
    if (frames < 1)
        frames = 1;
    // A turn of more frames than any match has, from a hostile NEWGAME line,
    // would overflow the frame counts.
    if (frames > TURN_FRAMES_MAX)
        frames = TURN_FRAMES_MAX;
    return frames;
}

int next_turn_frames(void) { return turnframes_at(get_game_state()->turn_index); }

int take_turnframes(void)
{
    WorldState *w = get_game_state();
    const int frames = turnframes_at(w->turn_index);
    w->turn_index++;
    return frames + 1;
}

void start_turn_frames(int n)
{
    WorldState *w = get_game_state();
    const MatchRules *r = get_match_rules();
    if (n > 0)
        w->frames_left = n + 1;
    else if (match_is_network() && w->frame < r->opening_frames)
        w->frames_left = (r->opening_turnframes > 0 ? r->opening_turnframes : 1) + 1;
    else
        w->frames_left = take_turnframes();
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    set_match_paused(0);
    w->frozen = 0;
}

void turn_countdown(void)
{
    WorldState *w = get_game_state();
    g_turn_just_started = 0;
    // A network turn starts once every fighter has committed and the
    // server's state for the turn is here, and only while the server can
    // still be heard.
    if (match_is_network() && fighter_count() > 0 && w->frames_left == 0 && !w->game_over && game_net_connected() &&
        network_turn_ready()) {
        for (int i = 0; i < fighter_count(); i++) {
            Player *p = get_player(i);
            p->ready = 0;
        }
        start_turn_frames(0);
        g_turn_just_started = 1;
    }
    if (match_is_replay())
        return;
    // Network play also waits while the server's result is pending; once
    // the match is over no turn ends (its end would start a preview that
    // stops the world short of the automatic replay).
    if (w->game_over || (match_is_network() && get_server_result()->pending != 0))
        return;
    // A turn the player paused waits with its frames.
    if (match_is_paused())
        return;
    if (w->frames_left > 0) {
        w->frames_left--;
        if (w->frames_left == 0) {
            end_turn();
            game_sound_breaks();
        }
    }
}

void check_turn_timeout(void)
{
    GameGlobals *g = get_game_globals();
    if (g->turn_deadline == 0 || !match_is_network() || !all_bouts_present())
        return;
    if (g->selected_player < 0) {
        commit_turn(0);
    } else if ((int32_t)(clock_ms() - g->turn_deadline) > 0) {
        commit_turn(0);
        g->turn_deadline = 0;
    }
}

// The server's state for the turn, taken only when it arrived complete for
// every fighter (the frame the GAME line named with it); the frame and the
// received masks are used once.
static void apply_received_turn_state(void)
{
    ServerResult *result = get_server_result();
    if (received_state_complete()) {
        if (result->has_received_frame)
            get_game_state()->frame = result->received_frame;
        for (int i = 0; i < fighter_count(); i++)
            apply_received_fighter_state(i);
        apply_received_env_state();
    }
    result->has_received_frame = 0;
    for (int i = 0; i < fighter_count(); i++)
        get_player(i)->received_mask = 0;
    get_game_state()->received_mask = 0;
}

void end_turn(void)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    const int n = fighter_count();
    set_ghost_trail_complete(0);
    set_ghost_turn_length(next_turn_frames());
    if (!match_is_network()) {
        // The preview switches the live fighters off while it runs.
        start_single_play_preview();
    } else {
        // The server's state for the turn is taken only when it arrived
        // complete for every fighter.
        apply_received_turn_state();
        if (g->own_slot == -1) {
            w->frozen = 1;
            if (get_ghost_option() == GHOST_OPTION_ALL)
                toggle_ghost_all();
            else if (get_ghost_option() == GHOST_OPTION_ONE)
                toggle_ghost_selected();
        } else {
            if (get_ghost_option() == GHOST_OPTION_ALL)
                start_ghost_all();
            else
                start_ghost_player(g->selected_player);
        }
        // A spectator records in mode 2 (when the rules hold a frame): its
        // turn end both sets the deadline and switches to holding the frame.
        const uint32_t deadline = (uint32_t)get_match_rules()->reactiontime * 1000u + clock_ms();
        if (g_record_mode == RECORD_EVERY_FRAME || g->own_slot == -1)
            g->turn_deadline = deadline;
        if (g_record_mode == RECORD_THEN_HOLD) {
            g->turn_deadline = deadline;
            w->net_decision_frame = w->frame;
            g_record_mode = RECORD_HOLD_FRAME;
        }
        clear_turn_alert_if_enabled();
    }
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        p->joint_changes = 0;
    }
    game_hook(HOOK_ENTER_FREEZE);
}

// End of a match: the report (sound and result), limp losers, the last
// network frame, the automatic save; end frame set so that the automatic
// replay follows.
static void handle_match_end(WorldState *w)
{
    if (!match_is_replay())
        game_hook(HOOK_END_GAME, w->result_kind);
    if (w->gameover_timelimit == -1)
        return;
    end_of_match(w);
    for (int i = 0; i < fighter_count(); i++)
        if (w->losers[i] == i)
            relax_all(i);
    if (match_is_network())
        store_replay_frame(1);
    if (!match_is_replay() && option_get(OPT_AUTOSAVE))
        game_replay_autosave();
    w->end_frame = w->frame;
}

// A finished network match is shown again from the frame cache (which the
// tick steps through), not rebuilt from the replay buffer, which in network
// play may hold only the frame kept for the server.
static void start_frame_cache_handoff(void)
{
    WorldState *w = get_game_state();
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    w->frame = 0;
    w->play_frame = 0;
    w->frames_left = 0;
    set_frame_cache_playback(1);
}

void step_world(int quiet)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    const bool replay = match_is_replay();

    if (!w->frozen) {
        if (replay) {
            play_replay_frame(w->frame);
            if (!w->game_over)
                game_hook(HOOK_ENTER_FRAME);
        } else if (w->ghost_mode == 0) {
            if (g_record_mode == RECORD_EVERY_FRAME || g_record_mode == RECORD_THEN_HOLD) {
                store_replay_frame(g_turn_just_started);
            } else if (w->frame == w->net_decision_frame) {
                record_frame_into(&g_held_frame, 1, w->frame);
                g_held_valid = 1;
            }
            if (!w->game_over)
                game_hook(HOOK_ENTER_FRAME);
        }
        apply_thrusts(w->frame + (w->ghost_mode != 0 ? (int)w->ghost_frame : 0));
        apply_pending_wishes();
        if (w->ghost_mode == 0) {
            if (!quiet) {
                frame_cache_store(w->frame);
                record_emote_history(w->frame);
            }
            w->frame++;
        }
    }

    const bool stepped = !quiet && !w->frozen && w->ghost_mode == 0;
    if (!quiet && !w->frozen) {
        limit_body_velocities();
        game_sound_frame(w);
        reset_contact_stats();
        if (w->ghost_mode == 0) {
            if (world_physics_step() != 0) {
                end_match_on_engine_fault();
                return;
            }
            if (get_contact_count() > 0)
                contact_damage();
            game_trails_update();
        }
    }

    if (replay) {
        // A replay runs for the frames it was given, then pauses. The turn
        // start counts one frame more for the live countdown, which counts
        // before the step; here the count follows the step, so the pause
        // comes at 1 and exactly the frames asked for run.
        if (!match_is_network() && w->frames_left > 0) {
            w->frames_left--;
            if (w->frames_left <= 1) {
                w->frames_left = 0;
                toggle_game_running(0);
            }
        }
    }

    // The dismembered joints bleed before the break check: a joint that
    // breaks in this step starts bleeding in the next, and its first drop
    // follows this step's bleeding in the ring. A replay holds the break in
    // the next frame, which applies it before that step, so the playback
    // sheds the same drops in the same order. The dismembered bodies collide
    // with the drops: a drop shed early, or of another size, would send the
    // playback another way.
    if (!(!replay && !w->frozen && w->ghost_mode != 0))
        bleed_dismembered_joints();

    if (!replay && w->ghost_mode == 0 && !w->frozen && !w->game_over) {
        if (match_is_network()) {
            apply_pending_breaks(w->frame);
        } else if (get_match_rules()->flags & (RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE)) {
            for (int i = 0; i < fighter_count(); i++)
                check_joint_breaks(i);
        }
    }
    // The flash fades after the break check that reads it: a joint hit in
    // this step is tested at the lower threshold of a fresh hit.
    if (stepped)
        fade_hit_flash();

    if (w->game_over && w->end_frame > 0 && w->frame > w->end_frame + END_REPLAY_DELAY) {
        w->end_frame = 0;
        if (g->replay_mode == 2)
            game_replay_next();
        else if (match_is_network() && frame_cache_first_valid())
            start_frame_cache_handoff();
        else
            start_playback(0);
    } else if (!w->game_over) {
        const int over = match_is_network() ? match_end_network() : match_end_single();
        // The decision frame is the frame the server's last state belongs
        // to: the fighters end where the server put them.
        if (over && match_is_network())
            apply_received_turn_state();
        if (over)
            handle_match_end(w);
    }

    if (w->deadline != 0 && (int32_t)(clock_ms() - w->deadline) > 0 && !match_is_replay() && !match_is_network()) {
        w->deadline = 0;
        g->replay_mode = 2;
        game_replay_next();
    }
}

void set_match_frame(int f)
{
    WorldState *w = get_game_state();
    w->frame = f;
    w->play_frame = f;
    if (g_held_valid && f == g_held_frame.frame) {
        delete_all_grip_joints();
        apply_replay_frame(&g_held_frame);
    }
}

void run_match_tick(int arg)
{
    const WorldState *w = get_game_state();
    get_game_globals()->now_ms = clock_ms();
    turn_countdown();
    check_turn_timeout();
    // A new single-play match names the preview mode without starting the
    // preview. Stepping the preview then would move the live fighters, which
    // are still on, through a ghost space without their floor, and the first
    // turn would break them on it: the first tick starts it as a turn end does.
    if (w->ghost_mode != 0 && !ghost_preview_started())
        start_single_play_preview();
    if (w->ghost_mode == 0)
        step_world(arg);
    else if (ghost_trail_complete())
        step_ghost_trail();
    else
        step_ghost();
}
