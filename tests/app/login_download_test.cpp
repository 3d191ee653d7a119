#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "app/base/command_line.h"
#include "app/base/download_queue.h"
#include "app/services/login_store.h"
#include "app/base/options.h"
#include "app/services/settings_io.h"
#include "app/base/user_strings.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_state.h"
#include "support/test_support.h"

namespace {

// UTF-16 bytes of a text given as code units.
std::string utf16le(const std::u16string &s, bool bom = true)
{
    std::string out;
    if (bom)
        out += "\xFF\xFE";
    for (char16_t c : s) {
        out += (char)(c & 0xFF);
        out += (char)(c >> 8);
    }
    return out;
}

// A folder of its own, downloads asked for (autoupdate 1) into an empty
// queue, no nick, no login loaded, an empty command line, live play with no
// rule locked;
// autoupdate is put back and the queue emptied afterwards.
struct LoginDir {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    int autoupdate = option_get(OPT_AUTOUPDATE);
    LoginDir()
    {
        mkdir("data", 0755);
        option_set(OPT_AUTOUPDATE, 1);
        download_queue_clear();
        set_nick("");
        set_password("");
        login_forget();
        char arg0[] = "kaelmund";
        char *argv[] = {arg0};
        read_command_line(1, argv);
        get_game_globals()->replay_mode = 0;
        rules_clear_config_locks();
    }
    ~LoginDir()
    {
        option_set(OPT_AUTOUPDATE, autoupdate);
        download_queue_clear();
        profile_set_hooks(nullptr);
    }
};

} // namespace

// The stored login is UTF-16 of either byte order; the rows run in order
// in one folder, so "loaded" turns on with the first good file.
TEST(Login, StoredLoginReadsAsUtf8)
{
    LoginDir d;
    char user[16], pass[16];
    EXPECT_EQ(login_load(user, sizeof user, pass, sizeof pass), 1); // no file
    std::string be = "\xFE\xFF";
    for (char16_t c : std::u16string(u"ann\npw")) // no line end after the password
        be += std::string{(char)(c >> 8), (char)(c & 0xFF)};
    struct { std::string bytes; int rc; const char *user, *pass; } rows[] = {
        {utf16le(u"user\n"), 1, nullptr, nullptr},
        {utf16le(u"\npass\n"), 1, nullptr, nullptr},
        {utf16le(u"averylongusername\npw\n"), 1, "", nullptr},
        {std::string(5000, 'a'), 1, nullptr, nullptr},
        {utf16le(u"[Kx]J\u00f6rg\r\np\u00e4ss\U0001F600\r\n"), 0, "[Kx]J\xC3\xB6rg", "p\xC3\xA4ss\xF0\x9F\x98\x80"},
        {be, 0, "ann", "pw"},
        {utf16le(std::u16string(u"a\n\xD800x\n")), 0, "a", "\xEF\xBF\xBDx"}, // lone surrogate
    };
    bool loaded = false;
    for (const auto &r : rows) {
        kxtest::write_file("kx_login.dat", r.bytes);
        kxtest::stderr_of([&] { EXPECT_EQ(login_load(user, sizeof user, pass, sizeof pass), r.rc) << r.bytes; });
        loaded = loaded || r.rc == 0;
        EXPECT_EQ(login_is_loaded() != 0, loaded) << r.bytes;
        if (r.user) {
            EXPECT_STREQ(user, r.user);
        }
        if (r.pass) {
            EXPECT_STREQ(pass, r.pass);
        }
    }
}

TEST(DownloadQueue, TrimsQueuesAndRefusesWhenFull)
{
    LoginDir d;
    download_enqueue(0, "  first request \r\n");
    download_enqueue(0, "   ");
    EXPECT_EQ(download_queue_count(), 1);
    char buf[256];
    EXPECT_EQ(download_dequeue(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "first request");
    EXPECT_EQ(download_dequeue(buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "");

    for (int i = 0; i < DOWNLOAD_QUEUE_LINES; i++)
        download_enqueue(1, ("item " + std::to_string(i)).c_str());
    testing::internal::CaptureStderr();
    download_enqueue(0, "one too many");
    download_enqueue(0, std::string(300, 'x').c_str());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("queue full\n"), std::string::npos);
    EXPECT_EQ(download_queue_count(), DOWNLOAD_QUEUE_LINES);
    EXPECT_EQ(download_dequeue(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "item 0");

    download_queue_clear();
    option_set(OPT_AUTOUPDATE, 0);
    download_enqueue(0, "ignored");
    EXPECT_EQ(download_queue_count(), 0);
}

TEST(DownloadQueue, TwoThreadsShareTheQueue)
{
    LoginDir d;
    std::atomic<int> done{0};
    kxtest::QuietStreams quiet(false);   // "queue full" while the reader is behind
    std::thread producer([&] {
        for (int i = 0; i < 1000; i++)
            download_enqueue(0, std::to_string(i).c_str());
        done = 1;
    });
    int taken = 0, last = -1;
    char buf[8];
    bool ordered = true;
    for (;;) {
        int finished = done;
        if (download_dequeue(buf, sizeof buf) == 0) {
            int v = atoi(buf);
            ordered = ordered && v > last;
            last = v;
            taken++;
        } else if (finished) {
            break;
        }
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_GE(taken, DOWNLOAD_QUEUE_LINES);
    EXPECT_LE(taken, 1000);
}

namespace {
std::string g_version;
void hook_version(const char *v) { g_version = v; }
const ProfileHooks kHooks = {nullptr, nullptr, nullptr, hook_version};
} // namespace

TEST(Profile, WithoutLoginOrReplayTheWelcomeMenuOpens)
{
    LoginDir d;
    // The profile runs as console commands: a rule set there takes effect.
    kxtest::write_file("profile.kxs", "set matchframes 321\n");
    get_game_state()->gameover_timelimit = 0;
    profile_set_hooks(&kHooks);
    profile_start();
    EXPECT_EQ(get_next_match_rules()->matchframes, 321);
    EXPECT_EQ(get_menu_mode(), MENU_STATE_WELCOME);
    EXPECT_EQ(menu_state_row(MENU_STATE_WELCOME)->selection, MENU_STATE_LOGGED_IN);
    EXPECT_EQ(chat_line_count(0), 0);
    EXPECT_EQ(get_game_state()->gameover_timelimit, 4);
    EXPECT_EQ(g_version, "3.9-alpha2");
    EXPECT_EQ(download_queue_count(), 0);
    EXPECT_STREQ(get_nick(), "");
}

TEST(Profile, AStoredLoginQueuesTheNameAndAReplayWins)
{
    LoginDir d;
    kxtest::write_file(LOGIN_FILE, utf16le(u"[CLAN]MiXed\nsecret\n"));
    testing::internal::CaptureStderr();
    profile_start();
    EXPECT_EQ(get_menu_mode(), MENU_STATE_LOGGED_IN);
    EXPECT_STREQ(get_nick(), "[CLAN]MiXed");
    EXPECT_STREQ(get_password(), "secret");
    char buf[64];
    // Not an ASSERT: returning here would leave standard error captured.
    EXPECT_EQ(download_dequeue(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "mixed");
    char arg0[] = "kaelmund", arg1[] = "fight.rpl";
    char *argv[] = {arg0, arg1};
    read_command_line(2, argv);
    profile_start();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(get_menu_mode(), MENU_STATE_NONE);
}
