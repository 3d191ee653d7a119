// The program's own layer over the file system: folder listings in a fixed
// order, file tests, folder creation and the program's own path.
#pragma once

// A folder's entry names ("." and ".." left out), sorted case-insensitively
// (ASCII) and then by bytes, so that every machine sees the same order.
struct DirListing;

// Opens a listing of folder; null when the folder cannot be read (errno set)
// or memory runs out.
DirListing *dir_open(const char *folder);
// The next entry name, or null at the end. The name stays valid until
// dir_close.
const char *dir_next(DirListing *d);
// Frees the listing; returns 0 (-1 for a null handle).
int dir_close(DirListing *d);

// Case-insensitive (ASCII) comparison, then byte order: the listing order.
int dir_name_compare(const char *a, const char *b);

// 1 when path names a regular file (after symlinks), else 0.
int fs_is_file(const char *path);
// 1 when path names a folder, else 0.
int fs_is_dir(const char *path);
// 1 when path names anything at all.
int fs_exists(const char *path);
// 1 when the path may be written by us (access W_OK).
int fs_is_writable(const char *path);
// mkdir(path, 0755); 0 on success or when the folder is already there.
int fs_mkdir(const char *path);

// The running program's path (readlink of /proc/self/exe); 0 or 1.
int fs_exe_path(char *out, int size);
// The folder part of path (without the final '/'); "." when it has none.
// 0, or 1 when it does not fit.
int fs_dir_of(const char *path, char *out, int size);
