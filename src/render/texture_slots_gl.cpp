#include "render/texture_slots.h"

#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "render/image_file.h"

static TextureSlots g_slots;

TextureSlots *get_texture_slots(void) { return &g_slots; }

static bool valid(int i) { return i >= 0 && i < TEXTURE_SLOT_COUNT; }

void texture_slots_init(void)
{
    memset(&g_slots, 0, sizeof g_slots);
}

static Texture *load(const char *name)
{
    Texture *t = new Texture;
    texture_init_from_file(t, name);
    return t;
}

int texture_slot_acquire(const char *name)
{
    // The format comes from the name: one of neither format takes no slot.
    if (image_kind_of_name(name) == IMAGE_KIND_NONE) {
        fprintf(stderr, "load_texture: %s refused: takes %s files\n", name ? name : "", image_kinds_taken());
        return -1;
    }
    int empty = -1;
    for (int i = 0; i < TEXTURE_SLOT_COUNT; i++) {
        if (g_slots.slot[i]) {
            if (strcmp(g_slots.name[i], name) == 0)
                return i;
        } else if (empty < 0) {
            empty = i;
        }
    }
    if (empty < 0) {
        fprintf(stderr, "Texture slots full\n");
        return -1;
    }
    g_slots.slot[empty] = load(name);
    n_strncpyz(g_slots.name[empty], name, TEXTURE_SLOT_NAME_SIZE);
    return empty;
}

Texture *texture_slot_get(int i)
{
    return valid(i) ? g_slots.slot[i] : nullptr;
}

static void drop(int i)
{
    if (g_slots.slot[i]) {
        texture_delete(g_slots.slot[i]);
        delete g_slots.slot[i];
        g_slots.slot[i] = nullptr;
    }
}

void texture_slot_free(int i)
{
    if (!valid(i))
        return;
    drop(i);
    g_slots.name[i][0] = 0;
}

void texture_slots_free_all(void)
{
    for (int i = 0; i < TEXTURE_SLOT_COUNT; i++)
        drop(i);
}

void texture_slots_reload(void)
{
    for (int i = 0; i < TEXTURE_SLOT_COUNT; i++)
        if (g_slots.name[i][0] && !g_slots.slot[i])
            g_slots.slot[i] = load(g_slots.name[i]);
}
