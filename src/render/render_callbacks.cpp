#include "render/render_callbacks.h"

#include "game/game_callbacks.h"
#include "render/blood_draw.h"
#include "render/color_table.h"
#include "render/world_shader_file.h"

void render_install_callbacks(void)
{
    GameCallbacks *cb = game_callbacks();
    cb->colour_rgb = get_color_rgb;
    cb->blood_drop = draw_blood_drop;
    cb->blood_stain = add_blood_stain;
    world_shader_console_install();
}
