// The document form UPDATEOFFICE: one document of OFFICE written (ACTION 1), changed (2) or deleted (3), with its
// rich-text body, embedded Office document and up to ten linked files; ACTION 0 on return when it was stored.
// Its routines share the form's data: the link list Q1, the removal list DELQ, the body RTEXT, PRENODE and the
// two work paths. The storing routines and the linked files on disk are in updateoffice_store.cpp.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "organizer/linkfiles.h"
#include "runtime/resizer.h"
#include "runtime/rtfcontrol.h"
#include "runtime/window.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    bool change_stored_link();
    bool get_link_row(); // the selected row of ?LIST1 into Q1's buffer; the message when there is none
    void SAVE();
    void close_form();
    void select_category(std::int16_t node);

    // Storage and linked files.
    void ADD_OFFICE();
    void PUT_OFFICE();
    void DELETE_OFFICE();
    void FILEPROCESS();
    void DELQ_FILE(std::string_view folder);
    void MOVE_FILES(std::string_view source, std::int16_t category);
    void RUN_AFILE();
    bool body_fits();
    void store_object();
    std::optional<std::string> folder_of(std::int16_t node) const; // link_folder: nothing for an unusable name
    std::optional<std::string> name_of(std::int16_t node) const;
    bool usable_link(std::string_view name) const; // false, after telling the user, for a name left alone
    void remove_linked(std::string_view folder, std::string_view name);
    bool store_entry_file(std::string_view afile); // copies Q1's row file into TARGETPATH; false: skipped
    void undo_copies();                            // the store failed: the files it made go again
    void finish_copies();                          // the store succeeded: the replacements take their place
    bool rename_allowed(std::string_view folder, std::string_view from, std::string_view to) const;
    void keep_renames_possible(std::string_view folder);
    void RENAME_FILES(std::string_view folder);
    std::string stored_name(std::string_view name) const; // the name of a row's file in the folder now
    const LinkIndex& linked_files();                      // the library's links, read once per store

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
    // Files of a store in progress: copies made before the record was written, and copies that replace a file
    // of the folder once it was (temporary name, name).
    std::vector<std::string> made_;
    std::vector<std::pair<std::string, std::string>> replacing_;
    // Stored links given another name in the form: the file's name in the folder, the link's name now.
    std::vector<std::pair<std::string, std::string>> renamed_;
    std::optional<LinkIndex> index_; // read when first needed, dropped when the records change
};

} // namespace velquin

#endif
