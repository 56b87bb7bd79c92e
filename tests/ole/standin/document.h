// Stand-in document servers for the OLE container's tests: small embeddable documents that take the ProgIDs of
// the office programs, open a window of their own in which text can be typed, persist that text in their storage
// and answer a few automation properties. Built into an in-process server (DLL) and a local server (.exe).
#pragma once

#include <windows.h>

#include <ole2.h>

namespace standin {

// How the document answers the automation path Application.ActiveDocument.PageSetup.PageWidth.
enum class Automation { word, sheet, slides };

struct DocumentClass {
    const wchar_t* progid;
    const wchar_t* name; // the class's display name
    CLSID clsid;
    Automation automation;
};

// The classes of the in-process server and of the local server, one class id each.
inline const DocumentClass inproc_classes[4] = {
    {L"Word.Document.8",
     L"Stand-in document (Word.Document.8)",
     {0xdb4a64fe, 0x6c5c, 0x425e, {0xb7, 0xfd, 0xc4, 0x4a, 0xf3, 0xb1, 0x7a, 0x45}},
     Automation::word},
    {L"Excel.Sheet.8",
     L"Stand-in sheet (Excel.Sheet.8)",
     {0x52af6e6f, 0x7f73, 0x4262, {0x96, 0xe5, 0x87, 0x92, 0xd5, 0xef, 0xe3, 0x10}},
     Automation::sheet},
    {L"PowerPoint.Slide.8",
     L"Stand-in slide (PowerPoint.Slide.8)",
     {0xee4a8251, 0x2cab, 0x43a1, {0x9d, 0x3f, 0x20, 0x02, 0x46, 0xdd, 0x10, 0x55}},
     Automation::slides},
    {L"PowerPoint.Show.8",
     L"Stand-in show (PowerPoint.Show.8)",
     {0x3fd7e287, 0xe6b5, 0x4584, {0x8a, 0x7a, 0x4c, 0xae, 0xce, 0x8e, 0x50, 0x4e}},
     Automation::slides},
};

inline const DocumentClass local_class = {
    L"StandIn.LocalDocument.1",
    L"Stand-in local document (StandIn.LocalDocument.1)",
    {0x2cf95907, 0x4e54, 0x4e5c, {0x89, 0xd3, 0xef, 0xf7, 0x41, 0xc7, 0x1d, 0x80}},
    Automation::word};

// The window class of an open document; its title is the document's ProgID, its child an EDIT with the text.
constexpr wchar_t window_class[] = L"StandInDocument";
// Streams of the storage: the text (UTF-16) and, once set by automation, the page width (a 4-byte float).
constexpr wchar_t contents_stream[] = L"Contents";
constexpr wchar_t page_width_stream[] = L"PageWidth";

// Server-wide counts: live objects and class-factory locks. `on_last_release` runs when both fall to zero.
extern LONG live_objects;
extern void (*on_last_release)();
void object_released();

// A class factory for the documents of one class.
IClassFactory* new_factory(const DocumentClass& cls);

// Writes or removes the registry entries of a class served by `server` (a DLL path for in-process, an .exe path
// for a local server).
HRESULT register_class(const DocumentClass& cls, const wchar_t* server, bool local);
HRESULT unregister_class(const DocumentClass& cls);

} // namespace standin
