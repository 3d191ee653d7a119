#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/test_support.h"
#include "window/game_run.h"

// The real program on the shader path with the ghost preview of the
// selected fighter on (as it starts): where a ghost lies on its live shape
// the shape shows an even tint, frame after frame, as smooth as it is with
// the ghost off. Without gravity the fighters stay nearly still through the
// preview (their legs within half a millimetre); a green box is pushed onto
// the floor every frame, as by gravity, and rests there, its ghost twin on
// it to within a few micrometres.
namespace {

const char kMod[] = "gravity 0 0 0\n"
                    "env_obj 1\nshape box\npos 3.5 0 1.5\nsides 1.5 1.5 3\nmass 10\n"
                    "thrust 1 0 0 -98.2\ncolor 0.1 0.8 0.2 1\n";

// The screen points of the selected fighter's thighs and legs, every frame.
const char kScript[] = R"(
set_hook("draw2d", function()
    local f = io.open("data/legs.txt", "w")
    for _, b in ipairs({15, 16, 17, 18}) do
        local x, y = get_body_screen_pos(0, b)
        if x then f:write("body", b, " ", math.floor(x), " ", math.floor(y), "\n") end
    end
    f:close()
end)
)";

struct Px {
    int x, y;
};

int channel_sum(const Shot &s, int x, int y) { return s.at(x, y, 0) + s.at(x, y, 1) + s.at(x, y, 2); }

// Whether pixel (x, y) of the shot and the pixel beside it (dx, dy) differ
// by more than a shading step.
bool step_to(const Shot &s, int x, int y, int dx, int dy)
{
    int d = 0;
    for (int c = 0; c < 3; c++)
        d += std::abs(s.at(x, y, c) - s.at(x + dx, y + dy, c));
    return d > 12;
}

// The pixels of the region where the colour steps to a neighbour: a plain
// face has none but at its edges; stripes and speckles are made of them.
long rough(const Shot &s, const std::vector<Px> &region)
{
    long n = 0;
    for (const Px &p : region)
        n += step_to(s, p.x, p.y, 1, 0) || step_to(s, p.x, p.y, 0, 1);
    return n;
}

// How much the shot changes the region from the reference, on average
// (brighter or darker, as the ghost's colour gives).
double tint(const Shot &on, const Shot &off, const std::vector<Px> &region)
{
    double d = 0;
    for (const Px &p : region)
        d += channel_sum(on, p.x, p.y) - channel_sum(off, p.x, p.y);
    return region.empty() ? 0 : d / (double)region.size();
}

// Whether the pixels up to margin away from (x, y), all inside the shot,
// keep within tolerance of its colour (summed over the channels).
bool flat_around(const Shot &s, int x, int y, int cx, int cy, int margin, int tolerance)
{
    for (int dy = -margin; dy <= margin; dy++)
        for (int dx = -margin; dx <= margin; dx++) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || px >= s.w || py < 0 || py >= s.h)
                return false;
            int d = 0;
            for (int c = 0; c < 3; c++)
                d += std::abs(s.at(px, py, c) - s.at(cx, cy, c));
            if (d > tolerance)
                return false;
        }
    return true;
}

// The pixels within r of (cx, cy) in the window's middle band (clear of the
// console lines at the top and the ghost label at the bottom) whose
// neighbours up to margin away keep the colour at (cx, cy): the inside of
// the face seen there.
std::vector<Px> face_at(const Shot &off, int cx, int cy, int r, int margin)
{
    std::vector<Px> out;
    for (int y = std::max(cy - r, 180); y <= std::min(cy + r, off.h - 60); y++)
        for (int x = std::max(cx - r, 0); x <= std::min(cx + r, off.w - 1); x++)
            if (flat_around(off, x, y, cx, cy, margin, 24))
                out.push_back({x, y});
    return out;
}

// The green box's face towards the camera: around the plain pixel where
// green leads most.
std::vector<Px> box_face(const Shot &off)
{
    int bx = -1, by = -1, best = 0;
    for (int y = 180; y < off.h - 60; y += 4)
        for (int x = 0; x < off.w; x += 4) {
            const int lead = off.at(x, y, 1) - std::max(off.at(x, y, 0), off.at(x, y, 2));
            if (lead > best && flat_around(off, x, y, x, y, 2, 6))
                best = lead, bx = x, by = y;
        }
    return bx < 0 ? std::vector<Px>{} : face_at(off, bx, by, off.w, 8);
}

// The leg points the script writes every frame; a read that meets the
// file half written is tried again.
std::vector<Px> leg_points(GameRun &run)
{
    std::vector<Px> points;
    for (int t = 0; t < 40 && points.size() != 4; t++, usleep(25000)) {
        points.clear();
        std::istringstream in(kxtest::read_file(run.path("data/legs.txt")));
        std::string name;
        Px p;
        while (in >> name >> p.x >> p.y)
            points.push_back(p);
    }
    return points;
}

// Loads each look in turn (on the shader path; the fixed path keeps its
// own colours) and compares a ghost-off screenshot with ghost-on ones.
void expect_even_tint(const char *shaders, const std::vector<std::string> &looks)
{
    GameRun run;
    std::filesystem::create_directories(run.path("data/mod"));
    std::filesystem::create_directories(run.path("data/shader"));
    run.write("data/mod/block.kxm", kMod);
    run.write_event_script(kScript);
    for (const char *look : {"default", "dusk", "overcast"})
        run.write(std::string("data/shader/") + look + ".inc",
                  kxtest::read_file(std::string(KX_RUN_DIR) + "/data/shader/" + look + ".inc"));
    ASSERT_TRUE(run.start_in_game({"-shaders", shaders, "block.kxm"})) << run.err();

    int last_colour = -1;
    double most[2] = {0, 0};   // the ghost fades over its preview: its strongest tint
    for (const std::string &look : looks) {
        SCOPED_TRACE(look);
        if (!look.empty()) {
            run.xdotool("key t");
            run.type("/loadworldshader " + look + ".inc", 20);
            run.xdotool("key Return");
        }
        // The reference without the ghost, then the preview again.
        run.xdotool("key g");
        const Shot off = run.screenshot();
        run.xdotool("key g");
        ASSERT_GT(off.w, 0) << run.err();

        // The box's face, and the faces of the fighter's legs around their
        // screen points.
        std::vector<std::vector<Px>> faces = {box_face(off), {}};
        const std::vector<Px> legs = leg_points(run);
        ASSERT_EQ(legs.size(), 4u);
        for (const Px &at : legs)
            for (const Px &p : face_at(off, at.x, at.y, 6, 2))
                faces[1].push_back(p);
        for (const std::vector<Px> &f : faces)
            ASSERT_GT(f.size(), 150u);
        // The look took: the box's face has a colour of its own in each.
        const int face_colour = channel_sum(off, faces[0][0].x, faces[0][0].y);
        if (!look.empty()) {
            EXPECT_NE(face_colour, last_colour);
        }
        last_colour = face_colour;

        const int frames = look.empty() || look == "dusk" ? 3 : 2;
        for (int k = 0; k < frames; k++) {
            const Shot on = run.screenshot();
            ASSERT_EQ(on.w, off.w);
            for (size_t i = 0; i < faces.size(); i++) {
                SCOPED_TRACE(i == 0 ? "box" : "legs");
                const long base = rough(off, faces[i]), now = rough(on, faces[i]);
                EXPECT_LE(now, base + (long)faces[i].size() / 100 + 2) << "of " << faces[i].size();
                most[i] = std::max(most[i], std::abs(tint(on, off, faces[i])));
            }
        }
    }
    if (shaders[0] == '1') {
        EXPECT_GT(most[0], 6.0) << "no ghost on the box";
        EXPECT_GT(most[1], 6.0) << "no ghost on the legs";
    }
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}

} // namespace

TEST(GhostTintProgram, AGhostOnItsLiveShapeTintsItEvenlyOnTheShaderPath)
{
    expect_even_tint("1", {"dusk", "default", "overcast"});
}

// The fixed pipeline draws the ghost with the same nearer depth.
TEST(GhostTintProgram, AGhostOnItsLiveShapeTintsItEvenlyOnTheFixedPath)
{
    expect_even_tint("0", {""});
}
