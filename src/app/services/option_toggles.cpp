#include "app/services/option_toggles.h"

#include <cstring>

#include "app/base/options.h"
#include "app/services/settings.h"

namespace {

struct ToggleRow {
    const char *name;
    int option;
    int reloads;    // 1: the graphics are made again with the new value
};

const ToggleRow k_toggles[] = {
    {"fluid", OPT_FLUID, 1},
    {"reflection", OPT_REFLECTION, 1},
    {"softshadow", OPT_SOFTSHADOW, 1},
    {"ambientocclusion", OPT_AMBIENTOCCLUSION, 1},
    {"bumpmapping", OPT_BUMPMAPPING, 1},
    {"noreload", OPT_NORELOAD, 0},
    {"motionblur", OPT_MOTIONBLUR, 1},
};

} // namespace

int toggle_option(const char *name)
{
    for (const ToggleRow &row : k_toggles) {
        if (strcmp(row.name, name) != 0)
            continue;
        // Any value but 0 counts as on, so a stored 2 flips to 0.
        const int on = option_get(row.option) == 0;
        option_set(row.option, on);
        if (row.reloads)
            graphics_reload_request();
        return on;
    }
    return -1;
}

void toggle_shaders(void)
{
    shader_path_set(!shader_path_on());
    option_set(OPT_SHADERS, shader_path_on());
}

void toggle_fluid(void) { toggle_option("fluid"); }
void toggle_reflection(void) { toggle_option("reflection"); }
void toggle_softshadow(void) { toggle_option("softshadow"); }
void toggle_ambientocclusion(void) { toggle_option("ambientocclusion"); }
void toggle_bumpmapping(void) { toggle_option("bumpmapping"); }
void toggle_noreload(void) { toggle_option("noreload"); }
void toggle_motionblur(void) { toggle_option("motionblur"); }
