// The replay file association. There is no registry here: setting a key
// succeeds and does nothing, and the install path is never found.
#pragma once

enum RegistryRoot { REG_CLASSES_ROOT, REG_CURRENT_USER, REG_LOCAL_MACHINE };

// 0 success (2 open, 3 set, 4 close failures never happen here).
int set_regedit_key(RegistryRoot root, const char *key, const char *name, const char *data);
// Associates ".rpl" with the program in the working folder; 0, or 1 when
// the working folder is unknown.
int register_replay_type(void);
// register_replay_type when "kaelmund.exe" is in the working folder; 0.
int register_if_installed(void);
// Always "not found": prints "Unable to locate Kaelmund directory" and
// returns 1 with an empty buffer.
int read_install_path(RegistryRoot root, const char *key, int size, char *buf);
