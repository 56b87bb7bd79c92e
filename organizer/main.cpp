// The process entry of Velquin.exe: the main module's data set up, the main procedure run, exit code 0.
#include "organizer/browseoffice.h"
#include "organizer/finddialogs.h"
#include "organizer/globals.h"
#include "organizer/listexcel.h"

#include <windows.h>

#include <float.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    _fpreset();
    velquin::main_module_start();
    velquin::register_find_dialogs();
    velquin::main_procedures().LISTEXCEL = velquin::LISTEXCEL;
    velquin::_main();
    velquin::main_module_end();
    return 0;
}
