// Start-up and release of the shader path. init_renderer runs from
// init_graphics after every video-mode change; release_renderer, from
// free_graphics, is the one routine that deletes every GL object the
// shader path made (programs, shaders, buffers, render targets, screen
// copies, sky textures), so that nothing outlives a context.
#pragma once

// With the shaders option on: the hardware report, the probe, the meshes,
// the programs and the ladder, the render targets, the lighting model.
// Only a start-up that completes turns the shader path on (shaders_active).
void init_renderer(void);
// 0 when the driver can run the shader path, 1 otherwise (shaders off).
int probe_shader_support(void);
// Deletes everything init_renderer made; the shader path is off after it.
void release_renderer(void);
// 1 between a completed start-up and the next release.
int renderer_started(void);
