// The names of one folder's files that contain a given text, and the four
// folder lists the menus show (replays, scripts, mods, world shader files).
#pragma once

enum { FILE_NAME_BLOCK = 64, FILE_LIST_STEP = 20 };

// A growable array of names (each at most 63 characters in its own 64-byte
// block); capacity 20 at creation, 0 when that first block failed.
struct FileList {
    char **items;
    int count;
    int capacity;
    int step;

    FileList();
    ~FileList();
    FileList(const FileList &) = delete;
    FileList &operator=(const FileList &) = delete;
};

// Fills list with the names in folder that contain needle (case-sensitive
// substring) and are shorter than 63 characters, in listing order (sorted).
// Returns the number taken, or -1 with "cant open the directory %s" on
// standard error when the folder cannot be listed.
int list_directory(FileList *list, const char *folder, const char *needle);
// Frees every name; the count becomes 0.
void file_list_clear(FileList *list);

enum { FILE_LIST_REPLAYS, FILE_LIST_SCRIPTS, FILE_LIST_MODS, FILE_LIST_SHADERS, FILE_LIST_KINDS };

// Folder list i (0..3), or null for another index.
FileList *get_file_list(int i);
// The count the last scan of list i gave (-1: the folder was missing).
int get_file_count(int i);
// Re-list the folder into its list and keep the count; each returns it.
int scan_replay_dir(void);
int scan_script_dir(void);
int scan_mod_dir(void);
int scan_shader_dir(void);
