// The OLE container control: holds at most one embedded object (a document of another program), made from a
// ProgID or loaded from its storage image, and edited in its own program's window. The control shows nothing of
// its own; the object's storage image is the bytes a large field keeps.
#pragma once

#ifdef _WIN32

#include "runtime/com.h"
#include "runtime/window.h"

#include <objidl.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <string_view>

namespace rt {

// The standard verbs the container performs.
namespace verb {
constexpr long primary = 0; // OLEIVERB_PRIMARY
constexpr long show = -1;   // OLEIVERB_SHOW
constexpr long open = -2;   // OLEIVERB_OPEN: in the object's own program's window
constexpr long hide = -3;   // OLEIVERB_HIDE
} // namespace verb

class OleSite;

class OleContainer : public ControlHandler {
public:
    // A container whose object's windows belong to `site` (the control's window; nullptr: none).
    explicit OleContainer(HWND site = nullptr);
    ~OleContainer() override;
    OleContainer(const OleContainer&) = delete;
    OleContainer& operator=(const OleContainer&) = delete;

    // The container of an OLE control of the window, attached at the first call; the window owns it. Throws
    // std::invalid_argument when the window has no such control.
    static OleContainer& of(Window& window, Id control);

    // Replaces what the container holds by a new, empty object of the class that the ProgID (CP949) names. False,
    // with the container as it was, when the class is unknown or its server fails.
    bool create(std::string_view progid);
    // Makes the held object ready for editing: it is started in its server and keeps its content, whatever class
    // the ProgID names now. A kept image (see load) is tried again; an empty container gets a new object of the
    // ProgID.
    bool open(std::string_view progid);
    // Performs a verb on the object (verb::open shows it in its own program's window). False when empty or
    // refused.
    bool do_verb(long verb);
    // Sets an automation property reached from the object by a dotted path of property names, the last one
    // assigned the text value (the server converts it). False, with nothing changed, when the object has no
    // automation or a name on the path is unknown or refused.
    bool set_property(std::string_view dotted_path, std::string_view value);
    // The storage image of the object with its current content. When the object cannot be saved (its server
    // ended, say) the image as last loaded or saved, with last_error() telling the failure; empty when there is
    // none.
    std::string save();
    // Replaces what the container holds by the object stored in `image`. An object whose server is not installed
    // here loads but cannot run (open and do_verb fail); saving it keeps its class and content. Bytes that cannot
    // be loaded at all are kept as they are, with false: save() gives them back unchanged, so storing the document
    // again loses nothing, and the other operations fail until open() succeeds. An empty image empties the
    // container.
    bool load(std::string_view image);
    // Ends editing: the object's windows close and its current content is kept for save(); the object stays held.
    void deactivate();
    // Releases the object or the kept image: the container is empty.
    void clear();

    bool empty() const noexcept { return !object_ && kept_.empty(); }
    // The held object's class id as "{...}" text, or empty (also for a kept image).
    std::string class_id() const;
    // The last failure's code (S_OK when the last operation succeeded).
    HRESULT last_error() const noexcept { return error_; }

private:
    friend class OleSite;
    bool fail(const char* what, std::string_view argument, HRESULT hr);
    void attach(ComPtr<IOleObject> object);
    HRESULT load_object(std::string_view image);
    bool save_in_place();

    HWND site_window_;
    OleSite* site_; // the object's client site; counted by COM, one reference held here
    ComPtr<ILockBytes> bytes_;
    ComPtr<IStorage> storage_;
    ComPtr<IOleObject> object_;
    std::string kept_;   // an image that could not be loaded, held unchanged
    bool saved_ = false; // the storage holds a loaded or saved image of the object
    HRESULT error_ = S_OK;
};

} // namespace rt

#endif
