// The link entry form FILELINK: one linked file of a document, its name and remark, exchanged with the document
// form through G8:AFILE, G8:AREMARK and G8:APATH; ACTION 1 add, 2 change, 3 delete; 0 on return when saved.
#pragma once

#ifdef _WIN32

#include "runtime/text.h"
#include "runtime/window.h"

#include <memory>

namespace velquin {

class FILELINK {
public:
    enum class Ctl : int { FILE0 = 1, G8_AFILE, BUTTON, REMARK0, G8_AREMARK, OK, CANCEL };

    void run();
    static rt::WindowDesc description();

private:
    void SETUPSCREEN();
    void BUTTON_ACCEPTED();
    void OK_ACCEPTED();

    std::unique_ptr<rt::Window> window_;
    struct {
        rt::Fixed<256> FILE; // the path the file dialog returned
    } LOC;
};

} // namespace velquin

#endif
