// The rules of the window runtime that both toolkits carry out, as plain functions, without a
// toolkit: a caption's line breaks, the stand-in for a missing face, the pixels of a line, the
// check box's click, what a design may hold, and what screen readers are told.

#include "runtime/announcements.h"
#include "runtime/captions.h"
#include "runtime/check_box.h"
#include "runtime/design.h"
#include "runtime/faces.h"
#include "runtime/twips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvel::runtime;

namespace {

std::string narrow(std::u16string_view text) {
    std::string escaped;
    for (char16_t unit : text)
        escaped += unit < 0x80 ? std::string(1, static_cast<char>(unit))
                               : "\\x" + std::to_string(static_cast<unsigned>(unit));
    return escaped;
}

TEST(Captions, EveryKindOfLineBreakIsShownAsTheToolkitsBreak) {
    struct Case {
        std::u16string_view caption, asCrLf, asLf;
    };
    for (const Case& c : { Case { u"a\rb", u"a\r\nb", u"a\nb" },
             Case { u"a\r\nb", u"a\r\nb", u"a\nb" }, Case { u"a\nb", u"a\r\nb", u"a\nb" },
             Case { u"a\r", u"a\r\n", u"a\n" }, Case { u"\r\r\n", u"\r\n\r\n", u"\n\n" },
             Case { u"\n\r", u"\r\n\r\n", u"\n\n" }, Case { u"ab", u"ab", u"ab" } }) {
        EXPECT_EQ(captionAsShown(c.caption, u"\r\n"), c.asCrLf) << narrow(c.caption);
        EXPECT_EQ(captionAsShown(c.caption, u"\n"), c.asLf) << narrow(c.caption);
    }
}

TEST(Faces, AMissingFaceIsStoodInForByTheMostAlike) {
    const Face ipa[] = { { u"IPAPMincho", true, true }, { u"IPAMincho", true, false },
        { u"IPAPGothic", false, true }, { u"IPAGothic", false, false } };
    const Face windows[] = { { u"ＭＳ 明朝", true, false }, { u"ＭＳ Ｐゴシック", false, true },
        { u"Meiryo", false, true } };
    const Face gothicOnly[] = { { u"Noto Sans CJK JP", false, true } };
    struct Case {
        std::u16string_view designed;
        std::span<const Face> available;
        std::vector<std::u16string> alike;
    };
    for (const Case& c : {
             Case {
                 u"ＭＳ 明朝", ipa, { u"IPAMincho", u"IPAPMincho", u"IPAGothic", u"IPAPGothic" } },
             Case { u"ＭＳ Ｐゴシック", ipa,
                 { u"IPAPGothic", u"IPAGothic", u"IPAPMincho", u"IPAMincho" } },
             Case { u"ＭＳ 明朝", windows, { u"ＭＳ 明朝", u"Meiryo", u"ＭＳ Ｐゴシック" } },
             Case { u"ＭＳ Ｐゴシック", windows, { u"ＭＳ Ｐゴシック", u"Meiryo", u"ＭＳ 明朝" } },
             Case { u"ＭＳ 明朝", gothicOnly, { u"Noto Sans CJK JP" } },
             Case { u"ＭＳ 明朝", {}, {} },
             // A face the designs do not know is taken for a proportional Gothic.
             Case { u"Unknown", ipa, { u"IPAPGothic", u"IPAGothic", u"IPAPMincho", u"IPAMincho" } },
         })
        EXPECT_EQ(facesLike(c.designed, c.available), c.alike) << narrow(c.designed);
}

TEST(Lines, APenCoversRowsBelowAndColumnsRightOfItsLine) {
    struct Case {
        const char* name;
        LineDesign line;
        double dotsPerInch;
        PixelRect covered;
    };
    for (const Case& c : {
             Case { "horizontal 2 px", { "L", 0, { 1500, 300 }, { 150, 300 }, 0, 2 }, 96,
                 { 10, 20, 101, 22 } },
             Case { "horizontal 2 px at 144 dpi", { "L", 0, { 150, 300 }, { 1500, 300 }, 0, 2 },
                 144, { 15, 30, 151, 33 } },
             Case { "vertical 1 px", { "L", 0, { 150, 1500 }, { 150, 300 }, 0, 1 }, 96,
                 { 10, 20, 11, 101 } },
             Case { "vertical 1 px at 192 dpi", { "L", 0, { 150, 300 }, { 150, 1500 }, 0, 1 }, 192,
                 { 20, 40, 22, 201 } },
             Case { "a pen of 0 px covers 1", { "L", 0, { 0, 0 }, { 150, 0 }, 0, 0 }, 96,
                 { 0, 0, 11, 1 } },
         }) {
        const PixelRect covered = lineCovers(c.line, c.dotsPerInch);
        EXPECT_EQ(covered.left, c.covered.left) << c.name;
        EXPECT_EQ(covered.top, c.covered.top) << c.name;
        EXPECT_EQ(covered.right, c.covered.right) << c.name;
        EXPECT_EQ(covered.bottom, c.covered.bottom) << c.name;
    }
}

TEST(CheckBox, AClickClearsACheckedBoxAndChecksAnyOther) {
    EXPECT_EQ(checkBoxValueAfterClick(0), 1);
    EXPECT_EQ(checkBoxValueAfterClick(1), 0);
    EXPECT_EQ(checkBoxValueAfterClick(2), 1);
}

TEST(Designs, TabVisitsTheControlsThatTakeTheFocusAndAreTabStops) {
    struct Case {
        ControlClass kind;
        bool tabStop, inOrder;
    };
    for (const Case& c :
        { Case { ControlClass::CommandButton, true, true },
            Case { ControlClass::TextBox, true, true }, Case { ControlClass::CheckBox, true, true },
            Case { ControlClass::TextBox, false, false }, Case { ControlClass::Label, true, false },
            Case { ControlClass::PictureBox, true, false } }) {
        const ControlDesign control { c.kind, "X", u"", { 0, 0, 600, 300 }, {}, Colours::Default,
            false, c.tabStop };
        EXPECT_EQ(inTabOrder(control), c.inOrder) << static_cast<int>(c.kind) << c.tabStop;
    }
}

TEST(Designs, OnlyControlsAreInTheListOfControls) {
    struct Case {
        ControlClass kind;
        std::string fault;
    };
    for (const Case& c : {
             Case { ControlClass::Label, "" },
             Case { ControlClass::PictureBox, "" },
             Case { ControlClass::Line, "X is not a control but is in the list of controls" },
             Case { ControlClass::Menu, "X is not a control but is in the list of controls" },
             Case { ControlClass::MenuItem, "X is not a control but is in the list of controls" },
         }) {
        const ControlDesign controls[] = {
            { ControlClass::CommandButton, "B", u"", { 0, 0, 600, 300 } },
            { c.kind, "X", u"", { 0, 300, 600, 300 } },
        };
        const FormDesign design { .name = "F",
            .caption = u"",
            .clientWidth = 600,
            .clientHeight = 600,
            .controls = controls };
        EXPECT_EQ(designFault(design), c.fault) << static_cast<int>(c.kind);
    }
}

// What is announced when a handler ends: each announced label's last caption, once.
TEST(Announcements, AreEachLabelsLastCaptionWhenItsHandlerEnds) {
    using announcements::Announcement;
    using announcements::captionSet;
    using announcements::Handler;
    int label1 = 0, label2 = 0; // stand-ins for two labels
    using Announced = std::vector<Announcement>;

    captionSet(&label1, u"built"); // outside a handler: the caption a window is built with
    {
        Handler count;
        captionSet(&label1, u"0");
        captionSet(&label1, u"17");
        EXPECT_EQ(count.ended(), (Announced { { &label1, u"17" } })) << "two captions, one told";
    }
    {
        Handler quiet;
        EXPECT_EQ(quiet.ended(), Announced {}) << "a handler that changed nothing";
    }
    {
        Handler failing;
        captionSet(&label1, u"0");
    } // a runtime error ended it: nothing is told, and nothing is left for the next handler
    {
        Handler next;
        EXPECT_EQ(next.ended(), Announced {}) << "after a handler that failed";
    }
    {
        Handler outer;
        captionSet(&label2, u"a");
        {
            Handler inner; // a window's load, run by the outer handler
            captionSet(&label1, u"x");
            EXPECT_EQ(inner.ended(), Announced {}) << "told only when the outermost ends";
        }
        captionSet(&label2, u"b");
        EXPECT_EQ(outer.ended(), (Announced { { &label2, u"b" }, { &label1, u"x" } }))
            << "each label once, in the order of their first change";
    }
}

} // namespace
