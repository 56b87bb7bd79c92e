// The library table OFFICE: category records (TREE 1 and up) and document records (TREE 0) in one table, with
// five keys and two large fields. One instance (record buffer OFC and file OFFICE) per thread.
#pragma once

#include <cstdint>

#include "runtime/keyfile.h"
#include "runtime/text.h"

namespace velquin {

#pragma pack(push, 1)
// Record OFC:RECORD, 1446 bytes.
struct OFC_RECORD {
    std::int16_t TREE = 0;     // category: its number (1 and up); document: 0
    std::int16_t SORT = 0;     // category: place in the tree; document: 0 or a trash code
    std::int16_t LEVEL = 0;    // category: 1 live, 2 in the trash
    std::int32_t DNO = 0;      // document number, never set (0)
    std::int16_t NODE = 0;     // document: its category, 0 none, 10000 in the trash
    std::int32_t USER = 0;     // never set (0)
    std::int32_t DATE = 0;     // document: day of the last save (or of the move to the trash)
    std::int32_t TIME = 0;     // clock value belonging to DATE
    std::int32_t CDATE = 0;    // document: day of creation
    rt::Fixed<10> INDEX;       // document: index code, blank when none
    rt::Fixed<4> EXT;          // document: "DOC", "XLS" or "PPT" when an Office document is embedded
    rt::Fixed<100> SUBJ;       // document: title; category: name (at most 30 bytes used)
    rt::Fixed<60> TAG;         // never set (blank)
    std::int32_t SIZE = 0;     // document: bytes of the embedded document
    rt::Fixed<64> AFILE[10];   // document: linked file names, a blank slot holds none
    rt::Fixed<60> AREMARK[10]; // document: remark of each linked file

    // Keys.
    static constexpr rt::Key TREE_KEY{0};  // + TREE: the categories
    static constexpr rt::Key NODE_KEY{1};  // + NODE, - DATE: documents by category, newest first
    static constexpr rt::Key DNO_KEY{2};   // + DNO: empty, DNO is always 0
    static constexpr rt::Key DATE_KEY{3};  // - DATE, - TIME: documents, newest first
    static constexpr rt::Key INDEX_KEY{4}; // + INDEX: documents with an index code
    // Large fields.
    static constexpr rt::Blob NOTE{0};   // the body, RTF
    static constexpr rt::Blob OBJECT{1}; // the embedded Office document's storage image
};
#pragma pack(pop)

static_assert(sizeof(OFC_RECORD) == 1446);

// The category number of the trash.
constexpr std::int16_t TRASH_NODE = 10000;

extern const rt::Table OFFICE_TABLE;

// The record buffer and the table of this thread. OFFICE takes its file name from OINI:DB at every open.
struct OFFICE_FILE : rt::KeyFile {
    OFFICE_FILE();
};
extern thread_local OFC_RECORD OFC;
extern thread_local OFFICE_FILE& OFFICE;

// What stopped a category-wide write. `file` covers taking the write lock, a scan stopped by an error and the
// commit; the error state tells which error it was, and OFC holds the record whose write failed.
enum class CategoryFailure { none, file, category_missing, document, category };

// Category-wide writes on the open OFFICE, each one transaction: the category record and all its documents
// (OFC:NODE_KEY) change, or nothing does.
// Trash: the category gets SORT = its number + TRASH_NODE and LEVEL 2, each document SORT = its NODE + TRASH_NODE.
CategoryFailure trash_category(std::int16_t number);
// Restore: the category gets SORT = its number and LEVEL 1, each document SORT 0.
CategoryFailure restore_category(std::int16_t number);
// Delete for good: the category and its documents are deleted.
CategoryFailure delete_category(std::int16_t number);

} // namespace velquin
