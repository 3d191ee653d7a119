#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/text_markup.h"

// What the text layer draws of marked-up text: the characters in order with
// the font and colour each is drawn in ("a2/7": 'a' in font 2, colour 7).
namespace {

std::string render(const char *ascii, int font = 1)
{
    std::vector<uint16_t> text(ascii, ascii + strlen(ascii) + 1);
    MarkupState st;
    markup_start(&st, font);
    std::string out;
    int pos = 0;
    for (uint16_t ch; (ch = markup_next(text.data(), &pos, &st));)
        out += std::string(1, (char)ch) + std::to_string(st.font) + (st.colour >= 0 ? "/" + std::to_string(st.colour) : "") + " ";
    return out;
}

} // namespace

TEST(TextMarkup, FontsColoursAndCodesAsDrawn)
{
    const struct {
        const char *text;
        const char *drawn;
    } rows[] = {
        {"ab", "a1 b1 "},
        {"~2a~3b", "a2 b3 "},
        {"^07a^12b", "a1/7 b1/12 "},
        {"!065!097", "A1 a1 "},
        {"~2^05!066", "B2/5 "},
        // Markers that do not complete are drawn as they are, never read past
        // the end of the text.
        {"~4~", "~1 41 ~1 "},
        {"^1", "^1 11 "},
        {"!06", "!1 01 61 "},
        {"x!000y", "x1 y1 "},
    };
    for (const auto &r : rows)
        EXPECT_EQ(render(r.text), r.drawn) << r.text;
    EXPECT_EQ(render("a", 9), "a1 ");
}
