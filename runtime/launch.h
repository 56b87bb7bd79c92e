// Starting another program without a command shell: the program is named apart from its command line and its
// argument is one quoted argument, so a blank or a quote in an address or a path never runs anything else.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// The command line for the program and its one argument: both quoted, quotes in the argument escaped as the
// platform's argument splitting expects (backslashes before a quote doubled).
std::string command_line(std::string_view program, std::string_view argument);

#ifdef _WIN32
// Starts the program with the argument and does not wait for it; false (after a report) when it did not start.
// With a driver installed, the driver is asked instead and nothing starts.
bool start_program(std::string_view program, std::string_view argument);

// The address from which the program fetches a web page: the address itself, or the installed driver's answer.
std::string page_address(std::string_view address);
#endif

} // namespace rt
