// Program-wide data of the main module and the queue types that the main window's routines share.
#pragma once

#include <cstdint>

#include "runtime/keyfile.h"
#include "runtime/queue.h"
#include "runtime/text.h"

namespace velquin {

// A row of the category directory GNODE (prefix GND).
struct GNODE_ROW {
    std::int16_t NODE = 0;  // category number, 0 for "분류없음"
    rt::Fixed<30> NODENAME; // its name, also the name of its folder of linked files
    std::int16_t SORT = 0;  // its OFC:SORT
};

// The category directory and its row buffer G8:GNODE (GND).
extern rt::Queue<GNODE_ROW> GNODE;
extern GNODE_ROW& GND;

// Globals with the prefix G8: the link exchanged with the link entry form.
struct G8_DATA {
    GNODE_ROW& GNODE;      // G8:GNODE, the row buffer of GNODE
    rt::Fixed<64> AFILE;   // a linked file's name
    rt::Fixed<60> AREMARK; // its remark
    rt::Fixed<128> APATH;  // full path of a newly chosen linked file
};
extern G8_DATA G8;

// The request of a form: 1 insert, 2 change, 3 delete, 4 pick; 0 when the form carried it out.
extern std::uint8_t ACTION;

// Settings (prefix OINI).
struct OINI_DATA {
    rt::Fixed<100> DB;  // full path of the current library, the file name of OFFICE
    rt::Fixed<30> FONT; // default font name
    std::uint8_t FONTSIZE = 0;
    rt::Fixed<50> DOCID; // OLE program identifier for Word documents
    rt::Fixed<50> XLSID; // ... spreadsheets
    rt::Fixed<50> PPTID; // ... presentations
};
extern OINI_DATA OINI;

// Paths (prefix GLO).
struct GLO_DATA {
    rt::Fixed<128> HOMEPATH; // the folder current at start, short form
    rt::Fixed<256> DBPATH;   // the library's path up to its first ".": root of the category folders
};
extern GLO_DATA GLO;

// The print preview's answer to the list printing: 1 print, 2 leave. One per thread.
extern thread_local std::int32_t GLOBALRESPONSE;
// The desktop's full-window-drag setting found at start, and the buffer handed along when it is changed.
extern std::int32_t LCURRENTFDSETTING;
extern std::int32_t LADJFDSETTING;

// A row of the category tree's queue TREE.
struct TREE_ROW {
    rt::Fixed<30> NODENAME;           // the row's text
    std::int32_t COLORNFG = 0;        // text colour, not selected (0x00BBGGRR)
    std::int32_t COLORNBG = 0xFFF4CF; // background, not selected
    std::int32_t COLORSFG = 0xFFFFFF; // text colour, selected
    std::int32_t COLORSBG = 0xC97726; // background, selected
    std::int32_t ICONFIELD = 0;       // icon number in the tree's icon list
    std::int32_t TREELEVEL = 0;       // 0 root, 1, 2
    std::int16_t TREENO = 0;          // the row's number: below -30000 a fixed row, 10000 the trash
    std::int16_t TSORT = 0;           // sort value; above 10000 a category in the trash
    std::int32_t POINTER = 0;         // position of the category's record, 0 on fixed rows and the trash
};
using TREE_QUEUE = rt::Queue<TREE_ROW>;
// The fields of TREE_ROW by number, as the tree's column format counts them.
extern const rt::Field TREE_FIELDS[10];

// A row of the document list (the list, printing and the Excel export share it).
struct Q2TYPE {
    rt::Fixed<8> INDEX;
    rt::Fixed<100> SUBJ;
    rt::Fixed<30> CATEGORY; // blank when none
    rt::Fixed<3> EXT;
    std::uint8_t ICONTYPE = 0; // icon of EXT, 0 none
    rt::Fixed<8> SIZE;         // size of the embedded document as text
    std::int32_t DATE = 0;
    std::int32_t TIME = 0;
    rt::Fixed<1> LINK;        // "O" when the document has a first linked file
    rt::Fixed<128> AFILE;     // that file's name
    std::int32_t POINTER = 0; // position of the document's record
};
// The fields of Q2TYPE by number (LISTFORMAT:NO): entry n-1 is field n, 1 = INDEX ... 11 = POINTER.
extern const rt::Field Q2TYPE_FIELDS[11];

// A visible column of the document list.
struct LISTFORMAT {
    std::uint8_t NO = 0;    // number of the Q2TYPE field shown
    rt::Fixed<20> NAME;     // header text
    std::int32_t WIDTH = 0; // at most 100
    rt::Fixed<50> FORMAT;   // display picture
    rt::Fixed<2> TYPE;      // left blank
};

// Start of the process: the row buffer of GNODE cleared, the global texts blank, the numbers 0, GNODE empty.
void main_module_start();
// End of the process: GNODE released.
void main_module_end();

} // namespace velquin
