// string.find, match, gmatch and gsub for scripts: Lua 5.1's pattern rules,
// matched by a backtracking matcher of our own that, unlike the library's,
// bounds its recursion and looks at the quit check as it goes. A pattern
// can backtrack for hours (every quantifier multiplies the work), and a
// quit request must still end it.
#include "script/script_limits.h"

#include <cctype>
#include <cstring>
#include <lua.hpp>

#include "script/script_context.h"

namespace {

enum {
    CAP_UNFINISHED = -1,
    CAP_POSITION = -2,
    QUIT_POINT_STEPS = 1 << 16,     // matcher steps between two looks at the quit check
};

const char ESC = '%';
const char SPECIALS[] = "^$*+?.([%-";

struct MatchState {
    const char *src_init, *src_end;
    lua_State *L;
    int level;                      // captures open or closed
    int depth;                      // recursion of match()
    unsigned steps;
    struct {
        const char *init;
        ptrdiff_t len;
    } capture[LUA_MAXCAPTURES];
};

inline unsigned char uchar(char c) { return (unsigned char)c; }

// n units of work; now and then the quit check.
void step(MatchState *ms, unsigned n = 1)
{
    ms->steps += n;
    if (ms->steps >= QUIT_POINT_STEPS) {
        ms->steps = 0;
        script_quit_point(ms->L);
    }
}

int check_capture(MatchState *ms, int l)
{
    l -= '1';
    if (l < 0 || l >= ms->level || ms->capture[l].len == CAP_UNFINISHED)
        return luaL_error(ms->L, "invalid capture index");
    return l;
}

int capture_to_close(MatchState *ms)
{
    int level = ms->level;
    for (level--; level >= 0; level--)
        if (ms->capture[level].len == CAP_UNFINISHED)
            return level;
    return luaL_error(ms->L, "invalid pattern capture");
}

const char *class_end(MatchState *ms, const char *p)
{
    switch (*p++) {
    case ESC:
        if (*p == '\0')
            luaL_error(ms->L, "malformed pattern (ends with '%%')");
        return p + 1;
    case '[':
        if (*p == '^')
            p++;
        do {   // the first character never closes the set
            if (*p == '\0')
                luaL_error(ms->L, "malformed pattern (missing ']')");
            if (*(p++) == ESC && *p != '\0')
                p++;
        } while (*p != ']');
        return p + 1;
    default:
        return p;
    }
}

int match_class(int c, int cl)
{
    int res;
    switch (tolower(cl)) {
    case 'a': res = isalpha(c); break;
    case 'c': res = iscntrl(c); break;
    case 'd': res = isdigit(c); break;
    case 'l': res = islower(c); break;
    case 'p': res = ispunct(c); break;
    case 's': res = isspace(c); break;
    case 'u': res = isupper(c); break;
    case 'w': res = isalnum(c); break;
    case 'x': res = isxdigit(c); break;
    case 'z': res = (c == 0); break;
    default: return cl == c;
    }
    if (isupper(cl))
        res = !res;
    return res;
}

// c against the set [p .. ec] (ec at its ']').
int match_bracket_class(int c, const char *p, const char *ec)
{
    int sig = 1;
    if (*(p + 1) == '^') {
        sig = 0;
        p++;
    }
    while (++p < ec) {
        if (*p == ESC) {
            p++;
            if (match_class(c, uchar(*p)))
                return sig;
        } else if (*(p + 1) == '-' && p + 2 < ec) {
            p += 2;
            if (uchar(*(p - 2)) <= c && c <= uchar(*p))
                return sig;
        } else if (uchar(*p) == c) {
            return sig;
        }
    }
    return !sig;
}

int single_match(int c, const char *p, const char *ep)
{
    switch (*p) {
    case '.': return 1;
    case ESC: return match_class(c, uchar(*(p + 1)));
    case '[': return match_bracket_class(c, p, ep - 1);
    default: return uchar(*p) == c;
    }
}

const char *match(MatchState *ms, const char *s, const char *p);

const char *match_balance(MatchState *ms, const char *s, const char *p)
{
    if (*p == 0 || *(p + 1) == 0)
        luaL_error(ms->L, "unbalanced pattern");
    if (*s != *p)
        return nullptr;
    const int b = *p, e = *(p + 1);
    int cont = 1;
    while (++s < ms->src_end) {
        step(ms);
        if (*s == e) {
            if (--cont == 0)
                return s + 1;
        } else if (*s == b) {
            cont++;
        }
    }
    return nullptr;
}

const char *max_expand(MatchState *ms, const char *s, const char *p, const char *ep)
{
    ptrdiff_t i = 0;
    while (s + i < ms->src_end && single_match(uchar(*(s + i)), p, ep))
        i++;
    step(ms, (unsigned)i);
    while (i >= 0) {   // the longest repetition first, then shorter ones
        if (const char *res = match(ms, s + i, ep + 1))
            return res;
        i--;
    }
    return nullptr;
}

const char *min_expand(MatchState *ms, const char *s, const char *p, const char *ep)
{
    for (;;) {
        if (const char *res = match(ms, s, ep + 1))
            return res;
        if (s < ms->src_end && single_match(uchar(*s), p, ep))
            s++;
        else
            return nullptr;
    }
}

const char *start_capture(MatchState *ms, const char *s, const char *p, int what)
{
    const int level = ms->level;
    if (level >= LUA_MAXCAPTURES)
        luaL_error(ms->L, "too many captures");
    ms->capture[level].init = s;
    ms->capture[level].len = what;
    ms->level = level + 1;
    const char *res = match(ms, s, p);
    if (!res)
        ms->level--;
    return res;
}

const char *end_capture(MatchState *ms, const char *s, const char *p)
{
    const int l = capture_to_close(ms);
    ms->capture[l].len = s - ms->capture[l].init;
    const char *res = match(ms, s, p);
    if (!res)
        ms->capture[l].len = CAP_UNFINISHED;
    return res;
}

const char *match_capture(MatchState *ms, const char *s, int l)
{
    l = check_capture(ms, l);
    const size_t len = (size_t)ms->capture[l].len;
    if ((size_t)(ms->src_end - s) >= len && memcmp(ms->capture[l].init, s, len) == 0)
        return s + len;
    return nullptr;
}

const char *do_match(MatchState *ms, const char *s, const char *p)
{
    for (;;) {
        step(ms);
        switch (*p) {
        case '(':
            if (*(p + 1) == ')')
                return start_capture(ms, s, p + 2, CAP_POSITION);
            return start_capture(ms, s, p + 1, CAP_UNFINISHED);
        case ')':
            return end_capture(ms, s, p + 1);
        case '\0':
            return s;
        case '$':
            if (*(p + 1) == '\0')
                return s == ms->src_end ? s : nullptr;
            break;
        case ESC:
            if (*(p + 1) == 'b') {
                s = match_balance(ms, s, p + 2);
                if (!s)
                    return nullptr;
                p += 4;
                continue;
            }
            if (*(p + 1) == 'f') {
                p += 2;
                if (*p != '[')
                    luaL_error(ms->L, "missing '[' after '%%f' in pattern");
                const char *ep = class_end(ms, p);
                const char previous = s == ms->src_init ? '\0' : *(s - 1);
                if (match_bracket_class(uchar(previous), p, ep - 1) || !match_bracket_class(uchar(*s), p, ep - 1))
                    return nullptr;
                p = ep;
                continue;
            }
            if (isdigit(uchar(*(p + 1)))) {
                s = match_capture(ms, s, uchar(*(p + 1)));
                if (!s)
                    return nullptr;
                p += 2;
                continue;
            }
            break;
        default:
            break;
        }
        // A single-character item, perhaps with a quantifier.
        const char *ep = class_end(ms, p);
        const int m = s < ms->src_end && single_match(uchar(*s), p, ep);
        switch (*ep) {
        case '?':
            if (m) {
                if (const char *res = match(ms, s + 1, ep + 1))
                    return res;
            }
            p = ep + 1;
            continue;
        case '*':
            return max_expand(ms, s, p, ep);
        case '+':
            return m ? max_expand(ms, s + 1, p, ep) : nullptr;
        case '-':
            return min_expand(ms, s, p, ep);
        default:
            if (!m)
                return nullptr;
            s++;
            p = ep;
            continue;
        }
    }
}

const char *match(MatchState *ms, const char *s, const char *p)
{
    if (++ms->depth > SCRIPT_PATTERN_DEPTH_MAX)
        luaL_error(ms->L, "pattern too complex");
    const char *res = do_match(ms, s, p);
    ms->depth--;
    return res;
}

void init_state(MatchState *ms, lua_State *L, const char *s, size_t len)
{
    ms->L = L;
    ms->src_init = s;
    ms->src_end = s + len;
    ms->level = 0;
    ms->depth = 0;
    ms->steps = 0;
}

void push_one_capture(MatchState *ms, int i, const char *s, const char *e)
{
    if (i >= ms->level) {
        if (i == 0)
            lua_pushlstring(ms->L, s, (size_t)(e - s));     // the whole match
        else
            luaL_error(ms->L, "invalid capture index");
        return;
    }
    const ptrdiff_t l = ms->capture[i].len;
    if (l == CAP_UNFINISHED)
        luaL_error(ms->L, "unfinished capture");
    if (l == CAP_POSITION)
        lua_pushinteger(ms->L, ms->capture[i].init - ms->src_init + 1);
    else
        lua_pushlstring(ms->L, ms->capture[i].init, (size_t)l);
}

int push_captures(MatchState *ms, const char *s, const char *e)
{
    const int n = (ms->level == 0 && s) ? 1 : ms->level;
    luaL_checkstack(ms->L, n, "too many captures");
    for (int i = 0; i < n; i++)
        push_one_capture(ms, i, s, e);
    return n;
}

// The pattern argument, refused before any matching when it is too complex.
const char *checked_pattern(lua_State *L, int arg)
{
    size_t len;
    const char *p = luaL_checklstring(L, arg, &len);
    if (const char *problem = script_pattern_problem(p, len))
        luaL_error(L, "%s (at most %d quantifiers, %d captures and quantifiers)", problem,
                   (int)SCRIPT_PATTERN_QUANTIFIERS_MAX, (int)SCRIPT_PATTERN_DEPTH_MAX);
    return p;
}

ptrdiff_t relative_position(lua_Integer pos, size_t len)
{
    if (pos < 0)
        pos += (lua_Integer)len + 1;
    return pos >= 0 ? (ptrdiff_t)pos : 0;
}

int find_aux(lua_State *L, bool find)
{
    size_t ls, lp;
    const char *s = luaL_checklstring(L, 1, &ls);
    const char *p = luaL_checklstring(L, 2, &lp);
    ptrdiff_t init = relative_position(luaL_optinteger(L, 3, 1), ls) - 1;
    if (init < 0)
        init = 0;
    else if ((size_t)init > ls)
        init = (ptrdiff_t)ls;
    if (find && (lua_toboolean(L, 4) || strpbrk(p, SPECIALS) == nullptr)) {
        // Plain text: memmem takes linear time where a naive search need not.
        const void *at = lp == 0 ? s + init : memmem(s + init, ls - (size_t)init, p, lp);
        if (at) {
            const char *s2 = (const char *)at;
            lua_pushinteger(L, s2 - s + 1);
            lua_pushinteger(L, (lua_Integer)(s2 - s + (ptrdiff_t)lp));
            return 2;
        }
        lua_pushnil(L);
        return 1;
    }
    p = checked_pattern(L, 2);
    MatchState ms;
    init_state(&ms, L, s, ls);
    const bool anchor = *p == '^';
    if (anchor)
        p++;
    const char *s1 = s + init;
    do {
        ms.level = 0;
        ms.depth = 0;
        if (const char *res = match(&ms, s1, p)) {
            if (!find)
                return push_captures(&ms, s1, res);
            lua_pushinteger(L, s1 - s + 1);
            lua_pushinteger(L, res - s);
            return push_captures(&ms, nullptr, nullptr) + 2;
        }
    } while (s1++ < ms.src_end && !anchor);
    lua_pushnil(L);
    return 1;
}

int str_find(lua_State *L) { return find_aux(L, true); }
int str_match(lua_State *L) { return find_aux(L, false); }

int gmatch_aux(lua_State *L)
{
    size_t ls;
    const char *s = lua_tolstring(L, lua_upvalueindex(1), &ls);
    const char *p = lua_tostring(L, lua_upvalueindex(2));
    MatchState ms;
    init_state(&ms, L, s, ls);
    for (const char *src = s + (size_t)lua_tointeger(L, lua_upvalueindex(3)); src <= ms.src_end; src++) {
        ms.level = 0;
        ms.depth = 0;
        if (const char *e = match(&ms, src, p)) {
            lua_Integer next = e - s;
            if (e == src)
                next++;     // an empty match: go on at least one character
            lua_pushinteger(L, next);
            lua_replace(L, lua_upvalueindex(3));
            return push_captures(&ms, src, e);
        }
    }
    return 0;
}

int str_gmatch(lua_State *L)
{
    luaL_checkstring(L, 1);
    checked_pattern(L, 2);
    lua_settop(L, 2);
    lua_pushinteger(L, 0);
    lua_pushcclosure(L, gmatch_aux, 3);
    return 1;
}

void add_s(MatchState *ms, luaL_Buffer *b, const char *s, const char *e)
{
    size_t l;
    const char *news = lua_tolstring(ms->L, 3, &l);
    for (size_t i = 0; i < l; i++) {
        if (news[i] != ESC) {
            luaL_addchar(b, news[i]);
            continue;
        }
        i++;    // the character after the '%' (the terminator at the end)
        if (!isdigit(uchar(news[i]))) {
            luaL_addchar(b, news[i]);
        } else if (news[i] == '0') {
            luaL_addlstring(b, s, (size_t)(e - s));
        } else {
            push_one_capture(ms, news[i] - '1', s, e);
            luaL_addvalue(b);
        }
    }
}

void add_value(MatchState *ms, luaL_Buffer *b, const char *s, const char *e)
{
    lua_State *L = ms->L;
    switch (lua_type(L, 3)) {
    case LUA_TNUMBER:
    case LUA_TSTRING:
        add_s(ms, b, s, e);
        return;
    case LUA_TFUNCTION: {
        lua_pushvalue(L, 3);
        const int n = push_captures(ms, s, e);
        lua_call(L, n, 1);
        break;
    }
    case LUA_TTABLE:
        push_one_capture(ms, 0, s, e);
        lua_gettable(L, 3);
        break;
    }
    if (!lua_toboolean(L, -1)) {    // nil or false: the matched text stays
        lua_pop(L, 1);
        lua_pushlstring(L, s, (size_t)(e - s));
    } else if (!lua_isstring(L, -1)) {
        luaL_error(L, "invalid replacement value (a %s)", luaL_typename(L, -1));
    }
    luaL_addvalue(b);
}

int str_gsub(lua_State *L)
{
    size_t srcl;
    const char *src = luaL_checklstring(L, 1, &srcl);
    const char *p = checked_pattern(L, 2);
    const int tr = lua_type(L, 3);
    const lua_Integer max_s = luaL_optinteger(L, 4, (lua_Integer)srcl + 1);
    luaL_argcheck(L, tr == LUA_TNUMBER || tr == LUA_TSTRING || tr == LUA_TFUNCTION || tr == LUA_TTABLE, 3,
                  "string/function/table expected");
    const bool anchor = *p == '^';
    if (anchor)
        p++;
    MatchState ms;
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    init_state(&ms, L, src, srcl);
    lua_Integer n = 0;
    while (n < max_s) {
        ms.level = 0;
        ms.depth = 0;
        const char *e = match(&ms, src, p);
        if (e) {
            n++;
            add_value(&ms, &b, src, e);
        }
        if (e && e > src)
            src = e;
        else if (src < ms.src_end)
            luaL_addchar(&b, *src++);
        else
            break;
        if (anchor)
            break;
    }
    luaL_addlstring(&b, src, (size_t)(ms.src_end - src));
    luaL_pushresult(&b);
    lua_pushinteger(L, n);
    return 2;
}

} // namespace

void script_replace_pattern_functions(lua_State *L)
{
    static const luaL_Reg functions[] = {
        {"find", str_find},
        {"match", str_match},
        {"gmatch", str_gmatch},
        {"gsub", str_gsub},
    };
    lua_getglobal(L, LUA_STRLIBNAME);
    for (const luaL_Reg &f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setfield(L, -2, f.name);
    }
    lua_pop(L, 1);
}
