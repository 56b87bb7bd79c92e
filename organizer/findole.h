// The OLE server picker FINDOLE: lists the OLE servers registered as insertable on the machine, in the order in
// which the registry gives their class ids, and returns the ProgID of the one the user picks.
#pragma once

#ifdef _WIN32

#include "runtime/text.h"

namespace velquin {

namespace findoleform {
enum class Ctl : int { LIST1 = 1 };
}

// A row of the picker's queue PICKQ.
struct PICK_ROW {
    rt::CString<64> NAME;   // the server's display name
    rt::CString<64> CLSID;  // its class id, in braces
    rt::CString<64> PROGID; // its ProgID, empty when it has none
};

// ACTION is 4 on the way in. On a pick (a double click or Enter on the list) the row's ProgID goes into
// PROGID, cut to its size, and ACTION becomes 0; closing the window changes neither.
void FINDOLE(rt::Fixed<50>& PROGID);

} // namespace velquin

#endif
