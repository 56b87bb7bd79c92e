// The category form UPDATECLASS: names a new category (ACTION 1) or renames the one in the OFFICE record
// buffer (ACTION 2), whose folder of linked files takes the new name. ACTION is 0 when the category was written.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

#include <cstdint>

namespace velquin {

namespace classform {
enum class Ctl : int { OFC_SUBJ = 1, CNAME0, OK, CANCEL };
}

// SORT: the tree place that a new category gets.
void UPDATECLASS(std::int16_t SORT);

} // namespace velquin

#endif
