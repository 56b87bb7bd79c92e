// Where the library's linked files lie: the folder of a category below the link root, and which documents link
// which file, so that a file another document links is never removed or moved from under it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velquin {

// The folder of a category's linked files: the link root for 0 and below, else the root and the category's name
// from GNODE; nothing when the category is not in GNODE or its name may not be a folder's.
std::optional<std::string> link_folder(std::int16_t category);

// The folder where a document's files lie: a document in the trash keeps them in its former category's.
std::optional<std::string> document_folder(std::int16_t node, std::int16_t sort);

// The links of every document of the open OFFICE, read by one scan; OFC and the current record stay as they were.
class LinkIndex {
public:
    LinkIndex();
    // True when a document other than the one at `except` links the file `name` in `folder` (names and folders
    // compared as Windows does, without regard to the case of Latin letters). After a scan stopped by an error
    // every file counts as linked.
    bool linked(std::string_view folder, std::string_view name, std::int32_t except = 0) const;

private:
    std::multimap<std::string, std::int32_t> links_; // "FOLDER\NAME" upper-cased, the document's position
    bool complete_ = false;
};

} // namespace velquin
