// The OLE container against the stand-in servers: each office type made, opened in its own window, typed into,
// saved to bytes, destroyed and loaded back; automation taken by the word-processing stand-in only; a local server
// behind the default handler; failures that leave the container as it was; the registry entries a server list reads.
#include "document.h"

#include "runtime/ole.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

enum Ctl { TOOLBAR = 1, OLE };

// A window with the container in a toolbar, as a form holds it.
std::unique_ptr<rt::Window> form() {
    rt::WindowDesc d;
    d.title = rt::to_cp949(u"OLE 시험");
    d.at = {10, 10, 250, 60};
    d.controls = {
        rt::control(TOOLBAR, rt::Kind::group, {3, 0, 242, 36}),
        rt::control(OLE, rt::Kind::ole, {150, 2, 15, 10}, {}, {}, 0, TOOLBAR),
    };
    auto w = std::make_unique<rt::Window>(std::move(d));
    w->open();
    return w;
}

bool under_wine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string u8(std::wstring_view w) {
    std::string out(w.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string guid(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return u8(text);
}

HWND document_window(const standin::DocumentClass& cls) {
    return FindWindowW(standin::window_class, cls.progid);
}

HWND editor(HWND document) {
    return FindWindowExW(document, nullptr, L"EDIT", nullptr);
}

// Types into the open document as the keyboard would.
void type_into(HWND document, std::wstring_view text) {
    for (wchar_t c : text)
        SendMessageW(editor(document), WM_CHAR, c, 1);
}

std::wstring shown_text(HWND document) {
    wchar_t text[256] = {};
    SendMessageW(editor(document), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// What a storage image holds, read apart from any server.
struct Image {
    bool storage = false;
    std::string clsid;
    std::wstring contents;
    bool has_width = false;
    float width = 0;
};

Image read_image(const std::string& bytes) {
    Image out;
    ILockBytes* lock = nullptr;
    IStorage* stg = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lock))) return out;
    ULONG n = 0;
    lock->WriteAt(ULARGE_INTEGER{}, bytes.data(), static_cast<ULONG>(bytes.size()), &n);
    if (SUCCEEDED(StgOpenStorageOnILockBytes(lock, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg))) {
        out.storage = true;
        CLSID id{};
        if (SUCCEEDED(ReadClassStg(stg, &id))) out.clsid = guid(id);
        auto stream = [&](const wchar_t* name, std::string& data) {
            IStream* s = nullptr;
            if (FAILED(stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s))) return false;
            char buf[4096];
            ULONG got = 0;
            while (SUCCEEDED(s->Read(buf, sizeof buf, &got)) && got > 0)
                data.append(buf, got);
            s->Release();
            return true;
        };
        std::string data;
        if (stream(standin::contents_stream, data))
            out.contents.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        data.clear();
        out.has_width = stream(standin::page_width_stream, data) && data.size() == sizeof(float);
        if (out.has_width) memcpy(&out.width, data.data(), sizeof(float));
        stg->Release();
    }
    lock->Release();
    return out;
}

constexpr char page_width[] = "Application.ActiveDocument.PageSetup.PageWidth";

// Made, opened in its window, typed into, saved, destroyed with its form, loaded into another form: the content
// and the recorded page width come back.
void round_trip(const standin::DocumentClass& cls, bool automation, bool local = false) {
    SCOPED_TRACE(u8(cls.progid));
    const std::wstring typed = std::wstring(L"한글 내용 ") + cls.progid;
    std::string bytes;
    DWORD server = 0;
    {
        auto w = form();
        rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
        ASSERT_TRUE(ole.create(rt::narrow(cls.progid))) << std::hex << ole.last_error();
        EXPECT_EQ(ole.class_id(), guid(cls.clsid));
        ASSERT_TRUE(ole.do_verb(rt::verb::open)) << std::hex << ole.last_error();
        HWND doc = document_window(cls);
        ASSERT_TRUE(doc && IsWindowVisible(doc));
        GetWindowThreadProcessId(doc, &server);
        EXPECT_EQ(server != GetCurrentProcessId(), local);
        type_into(doc, typed);
        EXPECT_EQ(ole.set_property(page_width, "600"), automation) << std::hex << ole.last_error();
        bytes = ole.save();
        ASSERT_FALSE(bytes.empty()) << std::hex << ole.last_error();
        ole.deactivate();
        EXPECT_FALSE(IsWindow(doc));
    }
    const Image image = read_image(bytes);
    ASSERT_TRUE(image.storage);
    EXPECT_EQ(image.clsid, guid(cls.clsid));
    EXPECT_EQ(u8(image.contents), u8(typed));
    EXPECT_EQ(image.has_width, automation);
    EXPECT_EQ(image.width, automation ? 600.0f : 0.0f);

    auto w = form();
    rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
    ASSERT_TRUE(ole.load(bytes)) << std::hex << ole.last_error();
    EXPECT_EQ(ole.class_id(), guid(cls.clsid));
    ASSERT_TRUE(ole.do_verb(rt::verb::open)) << std::hex << ole.last_error();
    HWND doc = document_window(cls);
    ASSERT_TRUE(doc);
    EXPECT_EQ(u8(shown_text(doc)), u8(typed));
    GetWindowThreadProcessId(doc, &server);
    HANDLE process = local ? OpenProcess(SYNCHRONIZE, FALSE, server) : nullptr;
    ole.deactivate();
    EXPECT_FALSE(IsWindow(doc));
    if (!local) return;
    // With the form gone, no server process stays behind.
    ASSERT_TRUE(process);
    w.reset();
    EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);
    CloseHandle(process);
}

TEST(OleContainer, EachOfficeTypeRoundTripsThroughBytes) {
    for (const standin::DocumentClass& cls : standin::inproc_classes)
        round_trip(cls, cls.automation == standin::Automation::word);
}

// Word is a local server behind the default handler. Under Wine that handler withholds IDispatch from an
// out-of-process object (a known platform difference): the page width is set on Windows only.
TEST(OleContainer, LocalServerRoundTripsThroughBytes) {
    round_trip(standin::local_class, !under_wine(), true);
}

// The server ends while its window is open (it crashed, or was ended): saving gives the image as last saved, with
// the failure told, instead of nothing, so storing the document again does not drop the object.
TEST(OleContainer, EndedServerLeavesTheLastSavedImage) {
    auto w = form();
    rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
    ASSERT_TRUE(ole.create(rt::narrow(standin::local_class.progid)));
    ASSERT_TRUE(ole.do_verb(rt::verb::open));
    HWND doc = document_window(standin::local_class);
    ASSERT_TRUE(doc);
    type_into(doc, L"저장된 글");
    EXPECT_EQ(u8(read_image(ole.save()).contents), u8(L"저장된 글"));
    type_into(doc, L", 잃을 글");
    DWORD server = 0;
    GetWindowThreadProcessId(doc, &server);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, server);
    ASSERT_TRUE(process);
    TerminateProcess(process, 1);
    EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);
    CloseHandle(process);

    const std::string image = ole.save();
    EXPECT_NE(ole.last_error(), S_OK);
    EXPECT_EQ(u8(read_image(image).contents), u8(L"저장된 글"));
    ole.deactivate();
    ole.clear();
}

// The user closes the server's window: the server saves into the container, so the content survives without the
// window. Editing again opens the held object whatever ProgID is asked for, with its content.
TEST(OleContainer, ClosedWindowKeepsItsContentForTheNextEdit) {
    const standin::DocumentClass& word = standin::inproc_classes[0];
    auto w = form();
    rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
    ASSERT_TRUE(ole.create("Word.Document.8"));
    ASSERT_TRUE(ole.do_verb(rt::verb::open));
    type_into(document_window(word), L"닫기 전에 쓴 글");
    SendMessageW(document_window(word), WM_CLOSE, 0, 0);
    EXPECT_EQ(document_window(word), nullptr);
    EXPECT_EQ(u8(read_image(ole.save()).contents), u8(L"닫기 전에 쓴 글"));

    ASSERT_TRUE(ole.open("Excel.Sheet.8"));
    EXPECT_EQ(ole.class_id(), guid(word.clsid));
    ASSERT_TRUE(ole.do_verb(rt::verb::open));
    EXPECT_EQ(u8(shown_text(document_window(word))), u8(L"닫기 전에 쓴 글"));
    ole.deactivate();
}

TEST(OleContainer, FailuresLeaveTheContainerAsItWas) {
    auto w = form();
    rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
    EXPECT_EQ(&rt::OleContainer::of(*w, OLE), &ole);
    // Empty: nothing to act on.
    EXPECT_FALSE(ole.do_verb(rt::verb::open));
    EXPECT_FALSE(ole.set_property(page_width, "600"));
    EXPECT_EQ(ole.save(), "");
    EXPECT_TRUE(ole.empty());

    const std::string word_id = guid(standin::inproc_classes[0].clsid);
    const struct {
        const char* what;
        bool (*act)(rt::OleContainer&);
    } refused[] = {
        {"unknown ProgID", [](rt::OleContainer& o) { return o.create("No.Such.Document.1"); }},
        {"unknown property", [](rt::OleContainer& o) { return o.set_property("Application.Nothing.Width", "1"); }},
        {"empty name on the path", [](rt::OleContainer& o) { return o.set_property("Application..PageSetup", "1"); }},
        {"value not a number", [](rt::OleContainer& o) { return o.set_property(page_width, "wide"); }},
    };
    for (bool held : {false, true}) {
        if (held) {
            ASSERT_TRUE(ole.create("Word.Document.8"));
        }
        for (const auto& r : refused) {
            EXPECT_FALSE(r.act(ole)) << r.what;
            EXPECT_NE(ole.last_error(), S_OK) << r.what;
            EXPECT_EQ(ole.class_id(), held ? word_id : "") << r.what;
        }
    }
    // A refused value records nothing.
    EXPECT_FALSE(read_image(ole.save()).has_width);
    // Loading an empty image empties the container.
    EXPECT_FALSE(ole.load(""));
    EXPECT_TRUE(ole.empty());
}

// A storage image of a class with no server here: a compound file naming an unregistered class, with content.
const CLSID unknown_class = {0x5e1f0c3a, 0x1d2b, 0x4c8e, {0x9a, 0x41, 0x0b, 0x7e, 0x22, 0x6d, 0x93, 0x15}};
constexpr wchar_t unknown_content[] = L"서버 없는 내용";

std::string image_of_unknown_class() {
    ILockBytes* lock = nullptr;
    IStorage* stg = nullptr;
    std::string out;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lock))) return out;
    if (SUCCEEDED(StgCreateDocfileOnILockBytes(lock, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg))) {
        WriteClassStg(stg, unknown_class);
        IStream* s = nullptr;
        if (SUCCEEDED(stg->CreateStream(standin::contents_stream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                        &s))) {
            s->Write(unknown_content, sizeof unknown_content - sizeof(wchar_t), nullptr);
            s->Release();
        }
        stg->Commit(STGC_DEFAULT);
        stg->Release();
        STATSTG st{};
        lock->Stat(&st, STATFLAG_NONAME);
        out.resize(static_cast<size_t>(st.cbSize.QuadPart));
        ULONG n = 0;
        lock->ReadAt(ULARGE_INTEGER{}, out.data(), static_cast<ULONG>(out.size()), &n);
    }
    lock->Release();
    return out;
}

// A stored object whose server is not installed here cannot be edited, but storing the document again must not
// lose it: the saved image still names its class and holds its content. Stored bytes that are no object at all
// are given back unchanged.
TEST(OleContainer, ObjectWithoutItsServerIsKept) {
    const std::string images[] = {image_of_unknown_class(), std::string("plain text, not a compound file")};
    for (const std::string& image : images) {
        const bool storage = &image == &images[0];
        auto w = form();
        rt::OleContainer& ole = rt::OleContainer::of(*w, OLE);
        ASSERT_TRUE(ole.create("Word.Document.8"));
        // Loaded through the default handler, as the system does for a class it does not know.
        EXPECT_EQ(ole.load(image), storage);
        EXPECT_FALSE(ole.empty());
        EXPECT_FALSE(ole.open("Word.Document.8"));
        EXPECT_FALSE(ole.do_verb(rt::verb::open));
        EXPECT_EQ(document_window(standin::inproc_classes[0]), nullptr);
        ole.deactivate();
        const std::string saved = ole.save();
        if (storage) {
            const Image kept = read_image(saved);
            EXPECT_EQ(kept.clsid, guid(unknown_class));
            EXPECT_EQ(u8(kept.contents), u8(unknown_content));
        } else {
            EXPECT_TRUE(saved == image) << "the kept bytes changed";
        }
        ole.clear();
        EXPECT_TRUE(ole.empty());
    }
}

// A server list reads the class ids that have an Insertable key, with the class's name and its ProgID.
TEST(OleContainer, StandInsAreRegisteredAsInsertable) {
    auto value = [](const std::wstring& key) {
        wchar_t text[256] = {};
        LONG size = sizeof text;
        return RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), text, &size) == ERROR_SUCCESS ? std::wstring(text)
                                                                                            : L"(missing)";
    };
    auto check = [&](const standin::DocumentClass& cls) {
        wchar_t id[40] = {};
        StringFromGUID2(cls.clsid, id, 40);
        const std::wstring key = std::wstring(L"CLSID\\") + id;
        EXPECT_EQ(u8(value(key)), u8(cls.name));
        EXPECT_EQ(u8(value(key + L"\\ProgID")), u8(cls.progid));
        EXPECT_EQ(value(key + L"\\Insertable"), L"");
        CLSID from_progid{};
        EXPECT_EQ(CLSIDFromProgID(cls.progid, &from_progid), S_OK);
        EXPECT_EQ(guid(from_progid), guid(cls.clsid));
    };
    for (const standin::DocumentClass& cls : standin::inproc_classes)
        check(cls);
    check(standin::local_class);
}

} // namespace
