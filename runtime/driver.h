// The test seam. With a driver installed (tests only), every prompt asks the driver for its answer instead of
// showing a box, accept() hands the driver control whenever its window is idle, and a halt or a stop that ends
// the program is reported to the driver and then thrown as Halted instead of ending the process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rt {

class Window;
struct Event;

enum class Icon { none, information, exclamation, stop };

// One message box as the program asked for it.
struct MessageRequest {
    std::string text;    // CP949, as given: '|' starts a new line
    std::string caption; // CP949; empty: the platform's default caption
    Icon icon = Icon::none;
    unsigned buttons = 0;            // sum of the standard button codes; 0 when labels holds the program's own
    std::vector<std::string> labels; // the program's own button texts, answered 1, 2, ...
    int default_button = 0;          // a standard code, or the number of one of the own buttons
    bool system_modal = false;
    bool selectable = false; // the text can be selected and copied
};

// Thrown by halt() and by an ended stop prompt while a driver is installed. Deliberately not a std::exception,
// so that only the test that expects it catches it. It never crosses a window procedure: the runtime holds an
// exception raised inside one and throws it again from the message loop.
struct Halted {
    std::string text;  // the halt's or the stop prompt's text, CP949
    bool stop = false; // true: the stop prompt was answered "end now"
};

class Driver {
public:
    virtual ~Driver() = default;
    // Answers a message box: a standard code, or the number of an own button.
    virtual int message(const MessageRequest& request) = 0;
    // Answers a popup menu: the chosen item's number from 1, or 0 for a dismissed menu.
    virtual int popup(const std::vector<std::string>& items) = 0;
    // Answers the stop prompt: true ends the program, false goes on.
    virtual bool stop(std::string_view text) = 0;
    // Told of a fatal halt before Halted is thrown.
    virtual void halt(std::string_view text) = 0;
    virtual void beep() {}
    // Answers the file-open dialog (title CP949, path in: the starting file name or pattern, out: the chosen
    // file, filter as given to file_open): true with the path set, false for a cancelled dialog.
    virtual bool file_open(std::string_view /*title*/, std::string& /*path*/, std::string_view /*filter*/) {
        return false;
    }
    // Answers the save-as dialog, as file_open.
    virtual bool file_save(std::string_view /*title*/, std::string& /*path*/, std::string_view /*filter*/) {
        return false;
    }
    // Answers the print dialog: true with the printer's name set (empty: the default printer, as the dialog opens),
    // false for a cancelled dialog.
    virtual bool printer(std::string& /*name*/) { return false; }
    // Asked instead of starting another program (its command line, CP949): true as if it started. Nothing runs.
    virtual bool start_program(std::string_view /*command_line*/) { return true; }
    // Answers the address of a web page the program fetches: the page itself, or one the test serves.
    virtual std::string page_address(std::string_view address) { return std::string(address); }
    // Called by accept() whenever the window has no event and no message waiting. The driver may post events,
    // type into entries, pick rows and read what the controls show; when it does nothing, accept() waits a little
    // and asks again.
    virtual void idle(Window& window) = 0;
    // Told of each event just before accept() returns it.
    virtual void event(Window& /*window*/, const Event& /*e*/) {}
};

// Installs the driver (nullptr removes it); the caller keeps it alive while it is installed.
void install_driver(Driver* driver) noexcept;
Driver* installed_driver() noexcept;

} // namespace rt
