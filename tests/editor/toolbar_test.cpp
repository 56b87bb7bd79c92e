// Each toolbar function changes the body's RTF as the user expects, and the toolbar follows the selection.
#include "form.h"

#include <cstdio>
#include <functional>

using namespace edtest;
using uitest::u8;

namespace {

struct ToolCase {
    const char* name;
    std::function<void(Form&)> act;   // on "가나다 abc" with "abc" selected
    std::vector<std::string> rtf;     // what the RTF then holds
    std::function<bool(Form&)> shown; // with the caret back in the formatted text, the toolbar shows it
};

// CP949 bytes as RTF writes them: \'xx each.
std::string escaped(const std::string& cp949) {
    std::string out;
    char buf[8];
    for (unsigned char c : cp949) {
        snprintf(buf, sizeof buf, "\\'%02x", c);
        out += buf;
    }
    return out;
}

const std::string myeongjo = K(u"나눔명조");

int row_of(Form& f, Ctl list, const std::string& text) {
    return f.list(list).find(text);
}

TEST(Toolbar, EachFunctionFormatsTheSelectionAndTheToolbarFollows) {
    const std::vector<ToolCase> cases = {
        {"bold", [](Form& f) { f.click(Ctl::BOLD); }, {"\\b abc"}, [](Form& f) { return f.w.checked(Ctl::BOLD); }},
        {"italic",
         [](Form& f) { f.click(Ctl::ITALIC); },
         {"\\i abc"},
         [](Form& f) { return f.w.checked(Ctl::ITALIC); }},
        {"underline",
         [](Form& f) { f.click(Ctl::UNDERLINE); },
         {"\\ul abc"},
         [](Form& f) { return f.w.checked(Ctl::UNDERLINE); }},
        {"centre",
         [](Form& f) { f.click(Ctl::CENTER); },
         {"\\qc"},
         [](Form& f) { return f.w.value(Ctl::ALIGNMENT) == "3"; }},
        {"right",
         [](Form& f) { f.click(Ctl::RIGHT); },
         {"\\qr"},
         [](Form& f) { return f.w.value(Ctl::ALIGNMENT) == "2"; }},
        {"justify",
         [](Form& f) { f.click(Ctl::JUST); },
         {"\\qj"},
         [](Form& f) { return f.w.value(Ctl::ALIGNMENT) == "4"; }},
        {"bullets on",
         [](Form& f) { f.click(Ctl::BULLETS); },
         {"\\pnlvlblt"},
         [](Form& f) { return f.w.checked(Ctl::BULLETS) && f.list(Ctl::BULLETSTYLE).chosen() == 1; }},
        {"numbers",
         [](Form& f) { f.pick(Ctl::BULLETSTYLE, 2); },
         {"\\pndec"},
         [](Form& f) { return f.w.checked(Ctl::BULLETS) && f.list(Ctl::BULLETSTYLE).chosen() == 2; }},
        {"lower letters",
         [](Form& f) { f.pick(Ctl::BULLETSTYLE, 3); },
         {"\\pnlcltr"},
         [](Form& f) { return f.list(Ctl::BULLETSTYLE).chosen() == 3; }},
        {"upper letters",
         [](Form& f) { f.pick(Ctl::BULLETSTYLE, 4); },
         {"\\pnucltr"},
         [](Form& f) { return f.list(Ctl::BULLETSTYLE).chosen() == 4; }},
        {"lower roman",
         [](Form& f) { f.pick(Ctl::BULLETSTYLE, 5); },
         {"\\pnlcrm"},
         [](Form& f) { return f.list(Ctl::BULLETSTYLE).chosen() == 5; }},
        {"upper roman",
         [](Form& f) { f.pick(Ctl::BULLETSTYLE, 6); },
         {"\\pnucrm"},
         [](Form& f) { return f.list(Ctl::BULLETSTYLE).chosen() == 6; }},
        {"size 14",
         [](Form& f) { f.pick(Ctl::FONTSIZE, row_of(f, Ctl::FONTSIZE, "14")); },
         {"\\fs28 abc"},
         [](Form& f) { return f.list(Ctl::FONTSIZE).chosen() == row_of(f, Ctl::FONTSIZE, "14"); }},
        {"font name",
         [](Form& f) { f.pick(Ctl::FONTNAME, row_of(f, Ctl::FONTNAME, myeongjo)); },
         {escaped(myeongjo) + ";"},
         [](Form& f) { return f.list(Ctl::FONTNAME).chosen() == row_of(f, Ctl::FONTNAME, myeongjo); }},
        {"text colour red",
         [](Form& f) { f.pick(Ctl::FONTCOLOR, 10); },
         {"\\red255\\green0\\blue0;", "\\cf"},
         [](Form& f) { return f.list(Ctl::FONTCOLOR).chosen() == 10; }},
        {"background yellow",
         [](Form& f) { f.pick(Ctl::FONTBKCOLOR, 12); },
         {"\\red255\\green255\\blue0;"},
         [](Form& f) { return f.list(Ctl::FONTBKCOLOR).chosen() == 12; }},
    };
    Form f;
    ASSERT_GT(f.list(Ctl::FONTNAME).entries().size(), 3u);
    ASSERT_GT(row_of(f, Ctl::FONTNAME, myeongjo), 0);
    ASSERT_EQ(f.list(Ctl::FONTCOLOR).entries().size(), 17u);
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.name);
        f.set_body(L"가나다 abc");
        f.select(4, 7);
        c.act(f);
        const std::string rtf = f.ed.rtf();
        for (const std::string& want : c.rtf)
            EXPECT_NE(rtf.find(want), std::string::npos) << want << " not in " << rtf;
        EXPECT_NE(rtf.find("\\ansicpg949"), std::string::npos) << rtf;
        EXPECT_NE(rtf.find(escaped(K(u"가나다"))), std::string::npos) << rtf;
        // The caret leaves the formatted word, the toolbar shows the text there, and the caret comes back.
        f.select(1, 1);
        f.select(5, 5);
        EXPECT_TRUE(c.shown(f));
        // The editor reads its own RTF back unchanged. Known platform difference: Wine's RTF reader drops \qj.
        if (std::string_view(c.name) == "justify") continue;
        f.set_body(L"plain");
        f.ed.set_rtf(rtf);
        EXPECT_EQ(f.ed.rtf(), rtf);
    }
}

} // namespace
