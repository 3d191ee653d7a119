// Guarded calls into the physics engine. The engine ends the program when
// its error or internal-error printer returns; while a guarded call runs,
// the printers throw an EngineFault instead, which the guard's caller
// catches (the engine is C++ and unwinds). The world the error left behind
// must then not be stepped again: the caller drops it and builds another.
// Outside every guard an internal error still ends the program.
#pragma once
#include <cstddef>

enum { ENGINE_FAULT_TEXT_SIZE = 512 };

struct EngineFault {
    int number;
    char text[ENGINE_FAULT_TEXT_SIZE];
};

// Guards nest; main thread only, like the physics world.
void engine_guard_enter(void);
void engine_guard_leave(void);
int engine_guarded(void);

// A guard for the scope it lives in.
struct EngineGuardScope {
    EngineGuardScope() { engine_guard_enter(); }
    ~EngineGuardScope() { engine_guard_leave(); }
    EngineGuardScope(const EngineGuardScope &) = delete;
    EngineGuardScope &operator=(const EngineGuardScope &) = delete;
};

// The blocks the engine allocated through the counting functions while the
// outermost guard ran and has not freed since. The list starts empty at
// each outermost guard and holds up to ENGINE_STEP_BLOCKS blocks (more are
// not followed).
enum { ENGINE_STEP_BLOCKS = 256, ENGINE_KEPT_BLOCKS = 4096 };
void engine_note_block(void *block);
void engine_forget_block(void *block);
// After a failed call, once its world is destroyed: what the engine took in
// the failed call and did not give back is held by records of the failed
// call that nothing will read again (a job the step was running, for one).
// They are kept, never freed: their owner may still point at them. Returns
// the number kept.
int engine_keep_step_blocks(void);
int engine_kept_block_count(void);
