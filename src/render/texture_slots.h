// The table of 128 named textures that scripts hold by number. A slot's
// name stays when the renderer's release frees its texture, so start-up can
// load it again; freeing the slot clears the name too.
#pragma once
#include "render/texture.h"

enum { TEXTURE_SLOT_COUNT = 128, TEXTURE_SLOT_NAME_SIZE = 256 };

struct TextureSlots {
    Texture *slot[TEXTURE_SLOT_COUNT];
    char name[TEXTURE_SLOT_COUNT][TEXTURE_SLOT_NAME_SIZE];
};

TextureSlots *get_texture_slots(void);
void texture_slots_init(void);
// The slot holding name, else the first empty one loaded from the file of
// that name (PNG or TGA, as its extension says); with none empty prints
// "Texture slots full" and returns -1 (never a slot that holds another
// texture). A name of neither format is refused with a message that names
// the formats taken, and -1.
int texture_slot_acquire(const char *name);
// Null for an empty slot or a number outside 0..127.
Texture *texture_slot_get(int i);
// Deletes the slot's texture and clears its name; bad numbers free nothing.
void texture_slot_free(int i);
// Deletes every slot's texture; names stay.
void texture_slots_free_all(void);
// Loads every named slot again.
void texture_slots_reload(void);
