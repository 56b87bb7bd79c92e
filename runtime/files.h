// File and folder operations on full paths (CP949), for programs that keep files of their own beside a data file:
// tests of existence, one-level folder creation, removal, copy and move of a file into a folder under its own
// name, and the process's current folder. Each operation answers a FileResult with the system's error code.
#pragma once

#ifdef _WIN32

#include <functional>
#include <string>
#include <string_view>

namespace rt {

// The outcome of a file operation: code 0 when it succeeded, else the system error code.
struct FileResult {
    unsigned long code = 0;
    bool ok() const noexcept { return code == 0; }
    explicit operator bool() const noexcept { return ok(); }
    // The file or one of its folders does not exist.
    bool missing() const noexcept;
    // The system's text for the code (CP949), without a trailing line break; empty for success.
    std::string text() const;
};

// The parts joined by one backslash, each without its trailing blanks.
std::string join_path(std::string_view folder, std::string_view name);

// True when the path names an existing folder (a file of that name is not one).
bool folder_exists(std::string_view path);
// True when the path names an existing file or folder.
bool path_exists(std::string_view path);

// Creates one folder; its parent must exist.
FileResult make_folder(std::string_view path);
// Removes one file.
FileResult remove_file(std::string_view path);
// Copies a file to the target path; an existing target is not replaced.
FileResult copy_file(std::string_view source, std::string_view target);
// Moves a file to the target path (a rename when both lie on one volume); an existing target is not replaced.
FileResult move_file(std::string_view source, std::string_view target);
// True when both paths name one existing file, however each is spelt (letter case, short or long names).
bool same_file(std::string_view a, std::string_view b);

// The name after the last backslash (the whole path when it has none).
std::string file_name_of(std::string_view path);

// Sets the process's current folder.
FileResult set_current_folder(std::string_view path);

// The changing file operations of a program that makes paths below one folder from names it reads from its own
// files: the last guard against a name that would reach elsewhere. A path is in the tree when it is spelt as the
// root, a backslash and plain names (plain_name), and lies below the root once made whole; any other path is
// refused with ERROR_BAD_PATHNAME before the system sees it.
class FolderTree {
public:
    explicit FolderTree(std::string_view root);
    const std::string& root() const noexcept { return root_; }
    bool holds(std::string_view path) const;

    // As the functions above, on paths in the tree.
    FileResult make_folder(std::string_view path) const;
    FileResult remove_file(std::string_view path) const;
    // The source may lie anywhere; the target must lie in the tree.
    FileResult copy_file(std::string_view source, std::string_view target) const;
    // A file or folder to another place; with `replace` an existing target file is replaced.
    FileResult move(std::string_view source, std::string_view target, bool replace = false) const;
    // Removes the folder's files that `keep` does not claim (asked with each file's name) and its empty
    // sub-folders, then the folder when nothing is left in it. Fails when a removal failed; kept files are no
    // failure.
    FileResult remove_folder(std::string_view path, const std::function<bool(std::string_view name)>& keep) const;

private:
    std::string root_;
};

} // namespace rt

#endif
