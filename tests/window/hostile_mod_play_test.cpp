#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "window/game_run.h"

// The real program on a mod of fighter bodies the physics engine cannot
// take, named on the command line and played through by a start-up script
// that commits every turn: the bodies are refused with the reason, the
// matches play to their end and the program goes on until it is asked to
// end.
TEST(HostileModPlay, WideHeavyGlobesAreRefusedAndTheMatchPlaysToItsEnd)
{
    GameRun run;
    ASSERT_EQ(mkdir(run.path("data/mod").c_str(), 0755), 0);
    std::string mod;
    for (const char *body : {"head", "chest"})
        mod += std::string("body ") + body + "\nshape sphere\nsides 30\ndensity 1000000\nrot 1000000 1 1\n";
    run.write("data/mod/globes.kxm", mod);
    // Notes the end of the match, then every 500th frame drawn after it,
    // while the end-of-match replay plays the match again.
    run.write("data/script/startup.lua",
              "local ended, drawn = false, 0\n"
              "local function note(text)\n"
              "  local f = io.open('data/play.log', 'a') f:write(text, '\\n') f:close()\n"
              "end\n"
              "set_hook('draw2d', function()\n"
              "  step_game()\n"
              "  if ended then\n"
              "    drawn = drawn + 1\n"
              "    if drawn % 500 == 0 then note('drawn ' .. drawn) end\n"
              "  end\n"
              "end)\n"
              "set_hook('end_game', function() ended = true note('ended') end)\n");

    ASSERT_TRUE(run.start({"globes.kxm"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    EXPECT_TRUE(run.wait_text("data/play.log", "ended", 60000)) << run.err();
    EXPECT_TRUE(run.wait_text("data/play.log", "drawn 1000", 120000)) << run.err();
    run.terminate();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
    const std::string err = run.err();
    for (const char *body : {"HEAD", "CHEST"})
        EXPECT_NE(err.find(std::string("Body ") + body +
                           ": sides 30 0 0 refused (a sphere's radius 0.01 to 5), keeping the built-in size"),
                  std::string::npos)
            << err;
    EXPECT_EQ(err.find("Physics engine"), std::string::npos) << err;
}
