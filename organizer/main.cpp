// The process entry of Velquin.exe: the main module's data set up, the main procedure run, exit code 0. An error
// that reaches it (a window that cannot be built, an exception a window procedure held for its loop) ends in the
// stop prompt with its text, not in a silent termination.
#include "organizer/browseoffice.h"
#include "organizer/finddialogs.h"
#include "organizer/globals.h"
#include "organizer/listexcel.h"
#include "runtime/prompt.h"

#include <windows.h>

#include <float.h>

#include <exception>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    _fpreset();
    try {
        velquin::main_module_start();
        velquin::register_find_dialogs();
        velquin::main_procedures().LISTEXCEL = velquin::LISTEXCEL;
        velquin::_main();
    } catch (const std::exception& e) {
        rt::stop(e.what());
    } catch (...) {
        rt::stop("Unknown error");
    }
    velquin::main_module_end();
    return 0;
}
