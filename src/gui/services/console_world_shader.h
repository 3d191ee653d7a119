// The console's world shader commands: "worldshader <id> [x y z w]" sets a
// parameter (or shows it when only the id is given), "loadworldshader
// <name>" and "exportworldshader <name>" read and write data/shader/<name>.
// The renderer gives the commands their way into the parameters.
#pragma once

struct ConsoleWorldShader {
    int (*set)(int id, float x, float y, float z, float w);   // 0, or 1 for a bad id or value
    int (*get)(int id, float *out);                           // four floats; 1 for a bad id
    int (*load)(const char *path);                            // 0, or 1 when it cannot be read
    int (*save)(const char *path);                            // 0, or 1 when it cannot be written
};

// Null: the commands say that there are no world shader settings.
void console_set_world_shader(const ConsoleWorldShader *ws);

void cmd_worldshader(const char *arg);
void cmd_loadworldshader(const char *arg);
void cmd_exportworldshader(const char *arg);
