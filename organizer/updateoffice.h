// The document form UPDATEOFFICE: one document of OFFICE written (ACTION 1), changed (2) or deleted (3), with its
// rich-text body, embedded Office document and up to ten linked files; ACTION 0 on return when it was stored.
// Its routines share the form's data: the link list Q1, the removal list DELQ, the body RTEXT, PRENODE and the
// two work paths. The storing routines and the linked files on disk are in updateoffice_store.cpp.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "runtime/resizer.h"
#include "runtime/rtfcontrol.h"
#include "runtime/window.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#ifdef DELETE
#undef DELETE
#endif

namespace rt {
class ListBox;
class OleContainer;
struct FileResult;
} // namespace rt

namespace velquin {

// A row of the link list Q1.
struct Q1_ROW {
    rt::Fixed<64> AFILE;   // the file's name in the document's folder
    rt::Fixed<60> AREMARK; // its remark
    rt::Fixed<128> APATH;  // blank: the file lies in the folder; set: the chosen file, still to be copied
};
extern const rt::Field Q1_FIELDS[3];

// A row of the removal list DELQ.
struct DELQ_ROW {
    rt::Fixed<64> DFILE;
};

// The longest body stored, in bytes.
inline constexpr std::size_t BODY_LIMIT = 2000000;

// The form's editor: the runtime's, with no entries of the form in its right-click menu.
class RTFCONTROL1 : public rt::RTFCONTROLCLASS {
public:
    std::string CONTEXTMENUTEXT() override;
};

class UPDATEOFFICE {
public:
    // The form's controls, numbered in the order of its description.
    enum class Ctl : int {
        GROUP1 = 1,
        RTFTOOLOPEN,
        RTFTOOLSAVE,
        RTFTOOLPRINT,
        RTFTOOLFIND,
        RTFTOOLFINDANDREPLACE,
        RTFTOOLCUT,
        RTFTOOLCOPY,
        RTFTOOLPASTE,
        RTFTOOLUNDO,
        RTFTOOLREDO,
        RTFTOOLALIGNMENT,
        RTFTOOLALIGNMENTLEFT,
        RTFTOOLALIGNMENTCENTER,
        RTFTOOLALIGNMENTRIGHT,
        RTFTOOLALIGNMENTJUST,
        RTFTOOLBULLETS,
        RTFTOOLBULLETSTYLE,
        OLE,
        RTFTOOLFONTNAME,
        RTFTOOLFONTSIZE,
        RTFTOOLBOLD,
        RTFTOOLITALIC,
        RTFTOOLUNDERLINE,
        RTFTOOLFONTCOLOR,
        RTFTOOLFONTBKCOLOR,
        GROUP2,
        OFFICE,
        AFILE,
        OK,
        CANCEL,
        SUBJ0,
        OFC_SUBJ,
        OFC_INDEX,
        CATEGORY,
        RTEXT,
        LIST1,
        LINKOPEN,
        INSERT,
        CHANGE,
        DELETE,
    };

    UPDATEOFFICE();
    ~UPDATEOFFICE();
    // Runs the whole procedure on ACTION, the OFFICE buffer and GNODE's buffer as the main window left them.
    void run();
    static rt::WindowDesc description();

private:
    // The form.
    void SETUPSCREEN();
    void RTF_CONTROL();
    void CALC_FIELDS();
    void events();
    void on_sized();
    void CATEGORY_ACCEPTED();
    void OFFICE_ACCEPTED();
    void LINK_INSERT();
    void LINK_CHANGE();
    void LINK_DELETE();
    bool get_link_row(); // the selected row of ?LIST1 into Q1's buffer; the message when there is none
    void SAVE();
    void close_form();
    void select_category(std::int16_t node);

    // Storage and linked files.
    void ADD_OFFICE();
    void PUT_OFFICE();
    void DELETE_OFFICE();
    void FILEPROCESS();
    void DELQ_FILE();
    void RUN_AFILE();
    bool body_fits();
    void store_object();
    // The folder of a category's linked files: the link root for 0 and below, else the root and the category's
    // name; nothing when the category is not in GNODE or its name cannot be a folder.
    std::optional<std::string> folder_of(std::int16_t node) const;
    std::optional<std::string> name_of(std::int16_t node) const;
    void remove_linked(std::string_view folder, std::string_view name);
    bool store_entry_file(std::string_view afile); // copies Q1's row file into TARGETPATH; false: skipped

    // Body and embedded document behind their controls.
    void body_to_screen();
    void screen_to_body();
    void default_font();
    std::string object_bytes();
    void load_object(std::string_view bytes);
    void create_object(std::string_view progid);
    void open_object(std::string_view progid);
    void deactivate_object();

    std::unique_ptr<rt::Window> window_;
    rt::ListBox* list_ = nullptr;
    rt::OleContainer* ole_ = nullptr;
    rt::Queue<Q1_ROW> Q1;
    rt::Queue<DELQ_ROW> DELQ;
    std::string RTEXT; // the RTF body
    std::uint8_t ATTACHED = 0;
    std::int16_t PRENODE = 0;
    rt::Fixed<128> TARGETPATH, SOURCEPATH;
    std::int32_t HEIGHT = 0, INIWIDTH = 0, INIHEIGHT = 0, WIDTH = 0;
    std::uint8_t SAVED_ACTION = 0; // ACTION#: the form's mode while a link operation borrows ACTION
    rt::Resizer WINRESIZE;
    std::string object_;                  // the embedded document's stored form while the form is open
    std::unique_ptr<RTFCONTROL1> editor_; // RTFCONTROL1: drives ?RTEXT and the toolbar
    bool body_shown_ = false;             // the editor holds RTEXT
    bool body_pending_ = false;           // RTEXT goes into the editor at the first size event
};

} // namespace velquin

#endif
