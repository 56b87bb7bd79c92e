// The declaration of OFFICE and the per-thread instances.
//
// On disk (one SQLite database per library, see runtime/keyfile.cpp) a record is one row of the table "office":
//   pos                the record's position (rowid, never reused)
//   tree sort level dno node user date time cdate size     INTEGER
//   index ext subj tag TEXT, UTF-8 without trailing blanks (a BLOB of the CP949 bytes when they do not convert)
//   afile aremark      TEXT, the 10 slots as lines without trailing blanks, trailing empty lines dropped (a BLOB
//                      of all 640 or 600 bytes when a slot does not convert)
//   index_upper        BLOB, the 10 bytes of INDEX with ASCII letters upper-cased: the column INDEX_KEY orders
// Keys are the indexes office_tree_key (tree), office_node_key (node, date DESC), office_dno_key (dno),
// office_date_key (date DESC, time DESC) and office_index_key (index_upper), each partial (WHERE a component is
// non-zero, or index_upper is not all blanks) and ordered by pos among equal values. The large fields are the
// tables office_note and office_object (pos, data); office_keys counts each key's entries.
#include "organizer/office.h"

#include <climits>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "organizer/globals.h"
#include "runtime/perthread.h"

namespace velquin {

static_assert(offsetof(OFC_RECORD, TREE) == 0 && offsetof(OFC_RECORD, SORT) == 2 && offsetof(OFC_RECORD, LEVEL) == 4 &&
              offsetof(OFC_RECORD, DNO) == 6 && offsetof(OFC_RECORD, NODE) == 10 && offsetof(OFC_RECORD, USER) == 12 &&
              offsetof(OFC_RECORD, DATE) == 16 && offsetof(OFC_RECORD, TIME) == 20 &&
              offsetof(OFC_RECORD, CDATE) == 24 && offsetof(OFC_RECORD, INDEX) == 28 &&
              offsetof(OFC_RECORD, EXT) == 38 && offsetof(OFC_RECORD, SUBJ) == 42 && offsetof(OFC_RECORD, TAG) == 142 &&
              offsetof(OFC_RECORD, SIZE) == 202 && offsetof(OFC_RECORD, AFILE) == 206 &&
              offsetof(OFC_RECORD, AREMARK) == 846);

namespace {

enum Fields : std::size_t { TREE, SORT, LEVEL, DNO, NODE, USER, DATE, TIME, CDATE, INDEX, EXT, SUBJ, TAG, SIZE };

} // namespace

const rt::Table OFFICE_TABLE{
    "OFFICE",
    sizeof(OFC_RECORD),
    {
        {"TREE", rt::FieldType::Short, offsetof(OFC_RECORD, TREE), 2},
        {"SORT", rt::FieldType::Short, offsetof(OFC_RECORD, SORT), 2},
        {"LEVEL", rt::FieldType::Short, offsetof(OFC_RECORD, LEVEL), 2},
        {"DNO", rt::FieldType::Long, offsetof(OFC_RECORD, DNO), 4},
        {"NODE", rt::FieldType::Short, offsetof(OFC_RECORD, NODE), 2},
        {"USER", rt::FieldType::Long, offsetof(OFC_RECORD, USER), 4},
        {"DATE", rt::FieldType::Long, offsetof(OFC_RECORD, DATE), 4},
        {"TIME", rt::FieldType::Long, offsetof(OFC_RECORD, TIME), 4},
        {"CDATE", rt::FieldType::Long, offsetof(OFC_RECORD, CDATE), 4},
        {"INDEX", rt::FieldType::Text, offsetof(OFC_RECORD, INDEX), 10},
        {"EXT", rt::FieldType::Text, offsetof(OFC_RECORD, EXT), 4},
        {"SUBJ", rt::FieldType::Text, offsetof(OFC_RECORD, SUBJ), 100},
        {"TAG", rt::FieldType::Text, offsetof(OFC_RECORD, TAG), 60},
        {"SIZE", rt::FieldType::Long, offsetof(OFC_RECORD, SIZE), 4},
        {"AFILE", rt::FieldType::Text, offsetof(OFC_RECORD, AFILE), 64, 10},
        {"AREMARK", rt::FieldType::Text, offsetof(OFC_RECORD, AREMARK), 60, 10},
    },
    {
        {"TREE_KEY", {{TREE}}},
        {"NODE_KEY", {{NODE}, {DATE, true}}},
        {"DNO_KEY", {{DNO}}},
        {"DATE_KEY", {{DATE, true}, {TIME, true}}},
        {"INDEX_KEY", {{INDEX}}},
    },
    {"NOTE", "OBJECT"},
};

// Plain data: a thread_local with a destructor is unsafe under mingw (runtime/perthread.h).
static_assert(std::is_trivially_destructible_v<OFC_RECORD>);
thread_local OFC_RECORD OFC;
thread_local OFFICE_FILE& OFFICE = rt::per_thread<OFFICE_FILE>();

OFFICE_FILE::OFFICE_FILE() : rt::KeyFile(OFFICE_TABLE, &OFC) {
    bind_name(OINI.DB.data, sizeof OINI.DB.data);
}

namespace {

// Writes a category's documents with write_document, then its record with write_category, each with the record
// in OFC, in one transaction.
CategoryFailure write_category(std::int16_t category, rt::Status (*write_document)(), rt::Status (*write_category)()) {
    rt::Transaction t(OFFICE);
    if (!t.status()) return CategoryFailure::file;
    // The positions first: the writes change and delete records of the key being read.
    std::vector<std::int32_t> positions;
    OFFICE.clear();
    OFC.NODE = category;
    OFC.DATE = INT32_MAX; // the key runs newest first: this is before the category's first document
    rt::Status scan = OFFICE.set_from(OFC_RECORD::NODE_KEY);
    if (scan)
        for (scan = OFFICE.next(); scan && OFC.NODE == category; scan = OFFICE.next())
            positions.push_back(OFFICE.position());
    if (!scan && !scan.end()) return CategoryFailure::file;
    for (std::int32_t pos : positions) {
        if (!OFFICE.get_at(pos)) return CategoryFailure::file;
        if (!write_document()) return CategoryFailure::document;
    }
    OFFICE.clear();
    OFC.TREE = category;
    if (const rt::Status got = OFFICE.get(OFC_RECORD::TREE_KEY); !got)
        return got.code() == rt::ERR_RECORD_NOT_FOUND ? CategoryFailure::category_missing : CategoryFailure::file;
    if (!write_category()) return CategoryFailure::category;
    return t.commit() ? CategoryFailure::none : CategoryFailure::file;
}

} // namespace

CategoryFailure trash_category(std::int16_t number) {
    return write_category(
        number,
        [] {
            OFC.SORT = static_cast<std::int16_t>(OFC.NODE + TRASH_NODE);
            return OFFICE.put();
        },
        [] {
            OFC.SORT = static_cast<std::int16_t>(OFC.TREE + TRASH_NODE);
            OFC.LEVEL = 2;
            return OFFICE.put();
        });
}

CategoryFailure restore_category(std::int16_t number) {
    return write_category(
        number,
        [] {
            OFC.SORT = 0;
            return OFFICE.put();
        },
        [] {
            OFC.SORT = OFC.TREE;
            OFC.LEVEL = 1;
            return OFFICE.put();
        });
}

CategoryFailure delete_category(std::int16_t number) {
    return write_category(
        number, [] { return OFFICE.del(); }, [] { return OFFICE.del(); });
}

} // namespace velquin
