// The settings window from the main window's button: its defaults on a first run, OK writing the six keys in
// their order, the OLE server picker, and Cancel giving back what the window changed.
#include "tests/mainwindow/support.h"

#include "organizer/findole.h"
#include "organizer/setting.h"
#include "runtime/droplist.h"
#include "runtime/ini.h"

namespace {

using namespace mainwindow_test;
using settingform::Ctl;
using startup_test::WorkFolder;

const char* const INI = ".\\Velquin.INI";
const Step open_settings = [](const View& v) { v.w.post(rt::EventKind::accepted, velquin::Ctl::SETTING); };

// The texts of the entries, the chosen font size's between them ("" when none is chosen).
std::vector<std::string> shown(rt::Window& w) {
    std::vector<std::string> out;
    for (Ctl c : {Ctl::OINI_FONT, Ctl::OINI_FONTSIZE, Ctl::OINI_DOCID, Ctl::OINI_XLSID, Ctl::OINI_PPTID}) {
        const int size = c == Ctl::OINI_FONTSIZE ? w.selection(c) : 0;
        if (c != Ctl::OINI_FONTSIZE)
            out.push_back(u8(w.text(c)));
        else
            out.push_back(size ? rt::DropList::of(w, c)->entries()[static_cast<size_t>(size - 1)].text : "");
    }
    return out;
}

TEST(Settings, FirstRunShowsTheDefaultsAndOkWritesAllSixKeys) {
    WorkFolder work(L"settings-first");
    uitest::ScriptDriver d;
    d.message_answers = {1}; // no Office ids yet: the main window says so
    run_steps(d, {open_settings, [](const View&) {}}, {[](rt::Window& w) {
                  EXPECT_EQ(u8(w.title()), "설정");
                  EXPECT_EQ(TabCtrl_GetItemCount(w.handle(Ctl::SHEET1)), 1); // "기본설정" shows
                  for (Ctl button : {Ctl::OK, Ctl::CANCEL}) // the buttons' icons are found
                      EXPECT_NE(SendMessageW(w.handle(button), BM_GETIMAGE, IMAGE_ICON, 0), 0);
                  EXPECT_EQ(shown(w), (std::vector<std::string>{"맑은 고딕", "11", "Word.Document.8", "Excel.Sheet.8",
                                                                "PowerPoint.Slide.8"}));
                  // Dropped, the size list shows all five entries, not a list one pixel high.
                  const HWND combo = reinterpret_cast<HWND>(
                      SendMessageW(w.handle(Ctl::OINI_FONTSIZE), CBEM_GETCOMBOCONTROL, 0, 0));
                  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
                  COMBOBOXINFO info{};
                  info.cbSize = sizeof info;
                  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
                  RECT list{};
                  GetClientRect(info.hwndList, &list);
                  EXPECT_GE(list.bottom, 5 * SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
                  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
                  w.select(Ctl::OINI_FONTSIZE, 5); // "9|10|11|12|14"
                  w.post(rt::EventKind::accepted, Ctl::OINI_FONTSIZE);
                  w.post(rt::EventKind::accepted, Ctl::OK);
              }});
    // Every key, in its order, in one section.
    const std::string file = startup_test::read_file(work.file(L"Velquin.INI"));
    const std::wstring text(reinterpret_cast<const wchar_t*>(file.data()), file.size() / 2);
    std::size_t at = 0;
    for (const wchar_t* key : {L"DefaultDB=", L"Font=", L"FontSize=14", L"Word ID=Word.Document.8",
                               L"Excel ID=Excel.Sheet.8", L"PowerPoint ID=PowerPoint.Slide.8"}) {
        const std::size_t found = text.find(key, at);
        ASSERT_NE(found, std::wstring::npos) << u8(key) << " after " << at << " in " << u8(text);
        at = found;
    }
    EXPECT_EQ(rt::get_ini("Velquin", "DefaultDB", "", INI), GLO.HOMEPATH.clip() + "\\myOFFICE.VL1");
    EXPECT_EQ(u8(rt::get_ini("Velquin", "Font", "", INI)), "맑은 고딕");
}

// Insertable servers registered for the test: one with a ProgID of 60 bytes, one without a ProgID.
class Servers {
public:
    Servers() {
        add(long_id, L"Velquin Test Long", L"Velquin.TestServerWithAVeryLongProgrammaticIdentifier.Sixty.1");
        add(no_progid, L"Velquin Test NoProgID", nullptr);
    }
    ~Servers() {
        for (const wchar_t* id : {long_id, no_progid})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + id).c_str());
    }
    static constexpr const wchar_t* long_id = L"{6A1E0C55-7B0D-4E84-9F0B-3D2C56E0A001}";
    static constexpr const wchar_t* no_progid = L"{6A1E0C55-7B0D-4E84-9F0B-3D2C56E0A002}";

private:
    static void add(const wchar_t* clsid, const wchar_t* name, const wchar_t* progid) {
        const std::wstring key = std::wstring(L"CLSID\\") + clsid;
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, name,
                        static_cast<DWORD>((wcslen(name) + 1) * 2));
        RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\Insertable").c_str(), nullptr, REG_SZ, L"", 2);
        if (progid)
            RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\ProgID").c_str(), nullptr, REG_SZ, progid,
                            static_cast<DWORD>((wcslen(progid) + 1) * 2));
    }
};

// The row of the picker that shows the name.
int row_named(rt::Window& w, std::string_view name) {
    auto& list = *dynamic_cast<rt::ListBox*>(w.handler(findoleform::Ctl::LIST1));
    for (int n = 1; n <= ListView_GetItemCount(w.handle(findoleform::Ctl::LIST1)); ++n)
        if (list.cell(static_cast<std::size_t>(n), 1) == name) return n;
    return 0;
}

TEST(Settings, PickerCancelAndAFontSizeHeldInOneByte) {
    WorkFolder work(L"settings-pick");
    startup_test::write_office_ids();
    rt::put_ini("Velquin", "FontSize", "300", INI);
    Servers servers;
    uitest::ScriptDriver d;
    OINI_DATA before;
    const auto pick = [](const char* name, bool found = true) {
        return [name, found](rt::Window& w) {
            EXPECT_EQ(w.title(), "Your OLE Server");
            const int row = row_named(w, name);
            ASSERT_EQ(row > 0, found) << name;
            auto& list = *dynamic_cast<rt::ListBox*>(w.handler(findoleform::Ctl::LIST1));
            EXPECT_EQ(list.header(1), rt::to_cp949(u"OLE 이름"));
            if (std::string_view(name) == "Velquin Test NoProgID") {
                EXPECT_EQ(list.cell(static_cast<std::size_t>(row), 2), "");
            }
            w.select(findoleform::Ctl::LIST1, row);
            w.post(rt::EventKind::alert_key, findoleform::Ctl::LIST1, rt::key::mouse_left2);
        };
    };
    run_steps(d,
              {[&](const View& v) {
                   before = OINI;
                   EXPECT_EQ(OINI.FONTSIZE, 44); // 300 in one byte
                   open_settings(v);
               },
               [&](const View&) {
                   // Cancel: the settings are what they were, the file is unchanged.
                   EXPECT_EQ(OINI.FONT, before.FONT);
                   EXPECT_EQ(OINI.DOCID, before.DOCID);
                   EXPECT_EQ(OINI.XLSID, before.XLSID);
                   EXPECT_EQ(OINI.PPTID, before.PPTID);
                   EXPECT_EQ(OINI.FONTSIZE, 44);
               }},
              {[](rt::Window& w) {
                   EXPECT_EQ(shown(w)[1], ""); // 44 is none of the choices
                   EXPECT_EQ(OINI.FONTSIZE, 44);
                   w.post(rt::EventKind::accepted, Ctl::BTNDOC);
               },
               pick("Velquin Test Long"),
               [](rt::Window& w) {
                   // Cut to the 50 bytes the setting holds.
                   EXPECT_EQ(w.text(Ctl::OINI_DOCID), "Velquin.TestServerWithAVeryLongProgrammaticIdentif");
                   EXPECT_EQ(OINI.DOCID.clip(), "Velquin.TestServerWithAVeryLongProgrammaticIdentif");
                   w.post(rt::EventKind::accepted, Ctl::BTNXLS);
               },
               [](rt::Window& w) { w.post(rt::EventKind::close_window); }, // the picker's close box
               [](rt::Window& w) {
                   EXPECT_EQ(w.text(Ctl::OINI_XLSID), "Excel.Sheet.8");
                   w.post(rt::EventKind::accepted, Ctl::BTNPPT);
               },
               pick("Velquin Test NoProgID"),
               [](rt::Window& w) {
                   EXPECT_EQ(w.text(Ctl::OINI_PPTID), "");
                   w.type(Ctl::OINI_FONT, rt::to_cp949(u"돋움"));
                   w.post(rt::EventKind::accepted, Ctl::CANCEL);
               }});
    EXPECT_EQ(rt::get_ini("Velquin", "FontSize", "", INI), "300");
    EXPECT_EQ(rt::get_ini("Velquin", "Word ID", "", INI), "Word.Document.8");
}

} // namespace
