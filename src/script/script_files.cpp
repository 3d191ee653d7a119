#include "script/script_files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <lua.hpp>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "script/script_limits.h"
#include "script/script_memory.h"

namespace {

// The open(2) flags of an fopen mode, read as the C library reads it: the
// first character r, w or a, then '+' for reading and writing and 'x' for
// a file that must be new; other characters change nothing. -1 when the
// first character is none of r, w, a.
int mode_flags(const char *mode)
{
    int flags;
    switch (mode[0]) {
    case 'r': flags = O_RDONLY; break;
    case 'w': flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case 'a': flags = O_WRONLY | O_CREAT | O_APPEND; break;
    default: return -1;
    }
    for (const char *p = mode + 1; *p; p++) {
        if (*p == '+')
            flags = (flags & ~O_ACCMODE) | O_RDWR;
        else if (*p == 'x' && (flags & O_CREAT))
            flags |= O_EXCL;
    }
    return flags;
}

// The fdopen mode for those flags.
const char *stream_mode(int flags)
{
    const bool both = (flags & O_ACCMODE) == O_RDWR;
    if (flags & O_APPEND)
        return both ? "a+" : "a";
    if (flags & O_CREAT)
        return both ? "w+" : "w";
    return both ? "r+" : "r";
}

// True when the open descriptor fd is, as the kernel names it now, root
// or below it.
bool fd_inside(int fd, const char *root)
{
    char link[64], real[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, real, sizeof real - 1);
    if (n <= 0)
        return false;
    real[n] = '\0';
    const size_t len = strlen(root);
    return strncmp(real, root, len) == 0 && (real[len] == '\0' || real[len] == '/');
}

FILE *refuse(const char **why, const char *text)
{
    errno = 0;
    *why = text;
    return nullptr;
}

FILE *fail(const char **why, int err)
{
    errno = err;
    *why = strerror(err);
    return nullptr;
}

} // namespace

FILE *script_open_file(const char *name, const char *mode, const char **why)
{
    if (const char *refused = script_path_problem(name))
        return refuse(why, refused);
    const int flags = mode_flags(mode);
    if (flags < 0)
        return fail(why, EINVAL);
    char root[PATH_MAX];
    if (!realpath("data", root))
        return refuse(why, "data/ cannot be found");
    // The name starts with "data/": there is a folder part.
    const char *slash = strrchr(name, '/');
    const std::string folder(name, (size_t)(slash - name));
    const int dir = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return fail(why, errno);
    if (!fd_inside(dir, root)) {
        close(dir);
        return refuse(why, "leads outside data/");
    }
    // Non-blocking: a FIFO put there in the meantime must not hold the
    // program in open(2); it is refused below as no regular file.
    const int common = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    int fd = openat(dir, slash + 1, (flags & ~O_TRUNC) | common | O_NOFOLLOW, 0666);
    if (fd < 0 && errno == ELOOP)
        fd = openat(dir, slash + 1, (flags & ~(O_TRUNC | O_CREAT | O_EXCL)) | common);
    const int err = errno;
    close(dir);
    if (fd < 0)
        return err == ENXIO ? refuse(why, "not a regular file") : fail(why, err);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return refuse(why, "not a regular file");
    }
    if (!fd_inside(fd, root)) {
        close(fd);
        return refuse(why, "leads outside data/");
    }
    if ((flags & O_TRUNC) && ftruncate(fd, 0) != 0) {
        const int e = errno;
        close(fd);
        return fail(why, e);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *f = fdopen(fd, stream_mode(flags));
    if (!f) {
        const int e = errno;
        close(fd);
        return fail(why, e);
    }
    return f;
}

namespace {

// ---- counting ----

// The registry key of the table of files scripts opened (weak keys: a file
// nobody holds is collected, and its handle closes it).
const char k_files_key = 0;

// Files in the table that are not closed yet.
int open_file_count(lua_State *L)
{
    lua_pushlightuserdata(L, (void *)&k_files_key);
    lua_rawget(L, LUA_REGISTRYINDEX);
    int n = 0;
    lua_pushnil(L);
    while (lua_next(L, -2)) {
        lua_pop(L, 1);
        FILE **pf = (FILE **)lua_touserdata(L, -1);
        if (pf && *pf)
            n++;
    }
    lua_pop(L, 1);
    return n;
}

// Pushes a new, still closed file handle of the io library, counted as a
// file of the scripts. A script error when SCRIPT_FILES_MAX files are open
// even after the files nobody holds were collected. The handle is made
// before the file is opened, so that nothing that fails after the open
// (out of memory) leaves a descriptor without a handle.
//
// The calling function runs in the io library's environment (see
// replace_io): handles take their environment from it, and the library
// closes them through it.
FILE **new_handle(lua_State *L)
{
    if (open_file_count(L) >= SCRIPT_FILES_MAX) {
        script_collect_garbage(L);
        if (open_file_count(L) >= SCRIPT_FILES_MAX)
            luaL_error(L, "too many open files: a script holds at most %d at a time", (int)SCRIPT_FILES_MAX);
    }
    FILE **pf = (FILE **)lua_newuserdata(L, sizeof(FILE *));
    *pf = nullptr;
    luaL_getmetatable(L, LUA_FILEHANDLE);
    lua_setmetatable(L, -2);
    lua_pushlightuserdata(L, (void *)&k_files_key);
    lua_rawget(L, LUA_REGISTRYINDEX);
    lua_pushvalue(L, -2);
    lua_pushboolean(L, 1);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    return pf;
}

// Pushes the handle of name opened with mode, or raises an error naming it.
void push_opened(lua_State *L, const char *name, const char *mode)
{
    FILE **pf = new_handle(L);
    const char *why;
    *pf = script_open_file(name, mode, &why);
    if (!*pf)
        luaL_error(L, "%s: %s", name, why);
}

// ---- the io functions ----

// Calls the io function a wrapper stands for (its upvalue) with the
// wrapper's arguments and returns all its results.
int call_original(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// io.open(name [, mode]): the handle, or nil, a message and (for a
// failure of the system) the error number, as Lua's own.
int script_io_open(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    const char *mode = luaL_optstring(L, 2, "r");
    FILE **pf = new_handle(L);
    const char *why;
    *pf = script_open_file(name, mode, &why);
    if (*pf)
        return 1;
    const int err = errno;
    lua_pushnil(L);
    lua_pushfstring(L, "%s: %s", name, why);
    if (!err)
        return 2;
    lua_pushinteger(L, err);
    return 3;
}

// io.input(name) and io.output(name) (upvalue 2: the mode) open the file
// named and make it the default; a handle or nothing goes to Lua's own. A
// number is a name too, as Lua reads it.
int script_io_default(lua_State *L)
{
    if (lua_isstring(L, 1)) {
        push_opened(L, lua_tostring(L, 1), lua_tostring(L, lua_upvalueindex(2)));
        lua_replace(L, 1);
    }
    return call_original(L);
}

// The iterator io.lines(name) returns (upvalue 1: the handle): the next
// line, and at the end nil, closing the file.
int lines_step(lua_State *L)
{
    FILE **pf = (FILE **)lua_touserdata(L, lua_upvalueindex(1));
    if (!*pf)
        return luaL_error(L, "file is already closed");
    lua_getfield(L, lua_upvalueindex(1), "read");
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushliteral(L, "*l");
    lua_call(L, 2, 1);
    if (lua_isnil(L, -1)) {
        lua_getfield(L, lua_upvalueindex(1), "close");
        lua_pushvalue(L, lua_upvalueindex(1));
        lua_call(L, 1, 0);
    }
    return 1;
}

// io.lines(name): the lines of that file; without a name those of the
// default input.
int script_io_lines(lua_State *L)
{
    if (lua_isnoneornil(L, 1))
        return call_original(L);
    push_opened(L, luaL_checkstring(L, 1), "r");
    lua_pushcclosure(L, lines_step, 1);
    return 1;
}

// io.read(): the default input starts as an empty stream (upvalue 2) in
// place of the program's standard input, which scripts do not read: a read
// from it would block the program where no quit request reaches it. Until
// io.input(name) chooses a file, io.read is a script error.
int script_io_read(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(3));
    lua_call(L, 0, 1);
    const bool unchosen = lua_rawequal(L, -1, lua_upvalueindex(2));
    lua_pop(L, 1);
    if (unchosen)
        return luaL_error(L, "io.read: scripts do not read standard input (io.input chooses a file)");
    return call_original(L);
}

// The default input becomes an empty stream (/dev/null), and io.stdin
// goes: nothing a script holds reaches the program's standard input.
void hide_stdin(lua_State *L)
{
    lua_getglobal(L, LUA_IOLIBNAME);
    lua_getfield(L, -1, "read");
    lua_getfield(L, -2, "input");
    lua_pushvalue(L, -1);
    lua_pushstring(L, "/dev/null");
    if (lua_pcall(L, 1, 1, 0) != 0) {
        fprintf(stderr, "Unable to give scripts an empty input: %s\n", lua_tostring(L, -1));
        lua_pop(L, 1);
        lua_getfield(L, -3, "stdin");
    }
    // Stack: io, read, input, the default input.
    lua_insert(L, -2);
    lua_pushcclosure(L, script_io_read, 3);
    lua_setfield(L, -2, "read");
    lua_pushnil(L);
    lua_setfield(L, -2, "stdin");
    lua_pop(L, 1);
}

// Replaces io[name] (the io table at -2, the io library's environment at
// -1) by fn, with the original as upvalue 1 and extra, when given, as
// upvalue 2, running in the library's environment.
void replace_io(lua_State *L, const char *name, lua_CFunction fn, const char *extra)
{
    lua_getfield(L, -2, name);
    int n = 1;
    if (extra) {
        lua_pushstring(L, extra);
        n = 2;
    }
    lua_pushcclosure(L, fn, n);
    lua_pushvalue(L, -2);
    lua_setfenv(L, -2);
    lua_setfield(L, -3, name);
}

// The io library makes the handles' metatable its own __index, so that
// h.__index, h.__gc or h.close reached the metatable itself through any
// handle, getmetatable or not. A script that replaced __gc or close there
// would keep descriptors open that no count sees, or run a finalizer of its
// own where hooks and the memory budget do not reach. The handles now look
// their methods up in a table of their own that no key leads to, and
// getmetatable gives only a name.
void hide_handle_metatable(lua_State *L)
{
    luaL_getmetatable(L, LUA_FILEHANDLE);
    lua_newtable(L);
    lua_pushnil(L);
    while (lua_next(L, -3)) {
        const bool method = lua_type(L, -2) == LUA_TSTRING && strncmp(lua_tostring(L, -2), "__", 2) != 0;
        if (method) {
            lua_pushvalue(L, -2);
            lua_insert(L, -2);
            lua_rawset(L, -4);
        } else {
            lua_pop(L, 1);
        }
    }
    lua_setfield(L, -2, "__index");
    lua_pushliteral(L, "file");
    lua_setfield(L, -2, "__metatable");
    lua_pop(L, 1);
}

} // namespace

void script_limit_io(lua_State *L)
{
    hide_stdin(L);
    lua_pushlightuserdata(L, (void *)&k_files_key);
    lua_newtable(L);
    lua_newtable(L);
    lua_pushliteral(L, "k");
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    hide_handle_metatable(L);

    lua_getglobal(L, LUA_IOLIBNAME);
    lua_getfield(L, -1, "open");
    lua_getfenv(L, -1);
    lua_remove(L, -2);
    replace_io(L, "open", script_io_open, nullptr);
    replace_io(L, "input", script_io_default, "r");
    replace_io(L, "output", script_io_default, "w");
    replace_io(L, "lines", script_io_lines, nullptr);
    lua_pop(L, 1);
    lua_pushnil(L);
    lua_setfield(L, -2, "popen");
    lua_pushnil(L);
    lua_setfield(L, -2, "tmpfile");
    lua_pop(L, 1);
}
