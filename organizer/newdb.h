// The new-library form NEWDB: asks for a library's name and gives GLO:DBPATH the start folder, "\" and the
// name, with ACTION 0; the main window then creates and opens the library. Cancel leaves both as they were.
#pragma once

#ifdef _WIN32

namespace velquin {

namespace newdbform {
enum class Ctl : int { MSG = 1, NEWDB, DBNAME0, OK, CANCEL };
}

void NEWDB();

} // namespace velquin

#endif
