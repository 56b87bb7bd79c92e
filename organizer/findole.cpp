#ifdef _WIN32

#include "organizer/findole.h"

#include "organizer/globals.h"
#include "runtime/listbox.h"
#include "runtime/queue.h"
#include "runtime/win32.h"
#include "runtime/window.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

namespace velquin {

namespace {

using findoleform::Ctl;

const rt::Field PICK_FIELDS[] = {
    {"NAME", rt::FieldType::Text, offsetof(PICK_ROW, NAME), sizeof(PICK_ROW::NAME)},
    {"CLSID", rt::FieldType::Text, offsetof(PICK_ROW, CLSID), sizeof(PICK_ROW::CLSID)},
    {"PROGID", rt::FieldType::Text, offsetof(PICK_ROW, PROGID), sizeof(PICK_ROW::PROGID)},
};

// The default value of a key below `parent`, as CP949; empty when the key or its value is missing.
std::string default_value(HKEY parent, const std::wstring& key) {
    wchar_t value[1024];
    DWORD bytes = sizeof value;
    if (RegGetValueW(parent, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) return {};
    return rt::narrow(value);
}

// Every class id under HKEY_CLASSES_ROOT\CLSID with an "Insertable" key, in the registry's order.
void fill_servers(rt::Queue<PICK_ROW>& PICKQ) {
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &classes) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LONG r = RegEnumKeyExW(classes, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) continue;
        const std::wstring clsid(name, length);
        HKEY insertable = nullptr;
        if (RegOpenKeyExW(classes, (clsid + L"\\Insertable").c_str(), 0, KEY_READ, &insertable) != ERROR_SUCCESS)
            continue;
        RegCloseKey(insertable);
        PICKQ.NAME = default_value(classes, clsid);
        PICKQ.CLSID = rt::narrow(clsid);
        PICKQ.PROGID = default_value(classes, clsid + L"\\ProgID");
        PICKQ.add();
    }
    RegCloseKey(classes);
}

rt::WindowDesc description() {
    rt::WindowDesc w;
    w.title = "Your OLE Server";
    w.font = "Gulim";
    w.at = {rt::unchanged, rt::unchanged, 264, 266};
    w.controls = {rt::control(Ctl::LIST1, rt::Kind::list, {4, 4, 256, 258})};
    return w;
}

} // namespace

void FINDOLE(rt::Fixed<50>& PROGID) {
    rt::Queue<PICK_ROW> PICKQ;
    rt::Window w(description());
    auto& list = rt::ListBox::attach(w, Ctl::LIST1, rt::rows_of(PICKQ, PICK_FIELDS, std::size(PICK_FIELDS)));
    list.set_format(rt::to_cp949(u"109L(4)|_M~OLE 이름~L(0)@s64@20L(5)|_M~프로그램ID~@s64@#3#"));
    fill_servers(PICKQ);
    PICKQ.buffer() = PICK_ROW{};
    list.refresh();
    w.open();
    list.set_line_height(11);
    w.select(Ctl::LIST1, 1);
    w.alert(Ctl::LIST1, rt::key::mouse_left2);
    w.alert(Ctl::LIST1, rt::key::enter);
    while (const rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::alert_key || e.control != static_cast<int>(Ctl::LIST1)) continue;
        // An empty list has no row to fetch: the cleared buffer answers an empty ProgID.
        PICKQ.get(static_cast<std::size_t>(w.selection(Ctl::LIST1)));
        PROGID = PICKQ.PROGID.str();
        ACTION = 0;
        break;
    }
    w.close();
    PICKQ.free();
}

} // namespace velquin

#endif
