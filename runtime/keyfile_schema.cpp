// The schema derived from a table declaration. A declared table maps onto a database thus:
//
//   - the record is one row of a table named after the declared table (lower case); its position is the
//     rowid "pos" (AUTOINCREMENT, so a deleted record's position is never handed to a new record);
//   - every field is one column named after the field: numbers INTEGER, text TEXT holding UTF-8 without trailing
//     blanks when the CP949 bytes convert both ways, otherwise a BLOB of the raw bytes, so every text keeps its
//     bytes exactly; the slots of an array field are the lines of its text (trailing empty ones dropped), or
//     all its bytes in a BLOB. Fewer columns make reading a record faster;
//   - a text key component also has a BLOB column of the full blank-padded bytes (ASCII letters upper-cased for
//     a case-insensitive key: "<field>_upper", as they are otherwise: "<field>_bytes"), so that the index order
//     is the CP949 byte order and any SQLite reader can follow it without a collation of ours;
//   - each key is an index "<table>_<key>" on its component columns (DESC where descending), partial for an
//     optional key (WHERE some component is non-zero or non-blank); equal values follow the rowid;
//   - each large field is a table "<table>_<field>"("pos", "data") keyed by the record's position, so list scans
//     and small updates never touch it;
//   - "<table>_keys" holds the number of entries each key should have, kept by triggers; comparing it with a
//     count over each index at open is how damaged keys are found without reading the records.
#include "runtime/keyfile_impl.h"

#include "runtime/text.h"

namespace rt::kf {

namespace {

std::string lower(const char* s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string hex_blanks(std::size_t n) {
    std::string out = "x'";
    for (std::size_t i = 0; i < n; ++i)
        out += "20";
    return out + "'";
}

} // namespace

std::string quoted(const std::string& name) {
    return '"' + name + '"';
}

Schema make_schema(const Table& t) {
    Schema s;
    s.table_name = lower(t.name);
    s.table = quoted(s.table_name);
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        const Field& fd = t.fields[f];
        const std::size_t width = fd.type == FieldType::Text    ? fd.size
                                  : fd.type == FieldType::Byte  ? 1
                                  : fd.type == FieldType::Short ? 2
                                                                : 4;
        if (fd.size != width || fd.slots == 0 || fd.offset + fd.size * fd.slots > t.record_size) s.valid = false;
        if (fd.slots > 1 && fd.type != FieldType::Text) s.valid = false;
        s.columns.push_back({lower(fd.name), f, fd.type, fd.offset, fd.size, fd.slots});
    }
    auto key_column = [&](std::size_t field, bool upper) {
        const std::string name = lower(t.fields[field].name) + (upper ? "_upper" : "_bytes");
        for (std::size_t i = 0; i < s.key_columns.size(); ++i)
            if (s.key_columns[i].name == name) return static_cast<int>(i);
        s.key_columns.push_back({name, field, upper});
        return static_cast<int>(s.key_columns.size() - 1);
    };
    for (const KeyDecl& k : t.keys) {
        KeyInfo ki;
        ki.index = s.table_name + "_" + lower(k.name);
        std::string cols, conds, conds_new, conds_old;
        if (k.parts.empty()) s.valid = false;
        for (const KeyPart& p : k.parts) {
            if (p.field >= t.fields.size() || t.fields[p.field].slots != 1) {
                s.valid = false;
                continue;
            }
            const Field& fd = t.fields[p.field];
            std::string col, test;
            if (fd.type == FieldType::Text) {
                const int kc = key_column(p.field, k.nocase);
                col = quoted(s.key_columns[kc].name);
                test = "<>" + hex_blanks(fd.size);
                ki.text_column.push_back(kc);
            } else {
                col = quoted(lower(fd.name));
                test = "<>0";
                ki.text_column.push_back(-1);
            }
            ki.exprs.push_back(col);
            if (!cols.empty()) cols += ",";
            cols += col + (p.descending ? " DESC" : "");
            const std::string sep = conds.empty() ? "" : " OR ";
            conds += sep + col + test;
            conds_new += sep + "new." + col + test;
            conds_old += sep + "old." + col + test;
        }
        ki.cond = k.optional ? conds : "1";
        ki.cond_new = k.optional ? "(" + conds_new + ")" : "1";
        ki.cond_old = k.optional ? "(" + conds_old + ")" : "1";
        ki.index_sql = "CREATE INDEX " + quoted(ki.index) + " ON " + s.table + "(" + cols + ")" +
                       (k.optional ? " WHERE " + conds : "");
        s.keys.push_back(ki);
    }

    s.table_sql = "CREATE TABLE " + s.table + "(\"pos\" INTEGER PRIMARY KEY AUTOINCREMENT";
    std::string names, marks, sets;
    for (const Column& c : s.columns) {
        s.table_sql += "," + quoted(c.name) +
                       (c.type == FieldType::Text ? " TEXT NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0");
        names += (names.empty() ? "" : ",") + quoted(c.name);
        marks += marks.empty() ? "?" : ",?";
        sets += (sets.empty() ? "" : ",") + quoted(c.name) + "=?";
    }
    s.select_cols = "\"pos\"," + names;
    for (const KeyColumn& c : s.key_columns) {
        s.table_sql += "," + quoted(c.name) + " BLOB NOT NULL DEFAULT " + hex_blanks(t.fields[c.field].size);
        names += "," + quoted(c.name);
        marks += ",?";
        sets += "," + quoted(c.name) + "=?";
    }
    s.table_sql += ")";
    s.insert_sql = "INSERT INTO " + s.table + "(" + names + ") VALUES(" + marks + ")";
    s.update_sql = "UPDATE " + s.table + " SET " + sets + " WHERE \"pos\"=?";

    for (const char* b : t.blobs) {
        const std::string name = s.table_name + "_" + lower(b);
        s.blob_tables.push_back(name);
        s.blob_sql.push_back("CREATE TABLE " + quoted(name) + "(\"pos\" INTEGER PRIMARY KEY, \"data\" BLOB NOT NULL)");
    }

    s.keys_table = s.table_name + "_keys";
    s.keys_sql = "CREATE TABLE " + quoted(s.keys_table) + "(\"key\" TEXT PRIMARY KEY, \"entries\" INTEGER NOT NULL)";
    auto trigger = [&](const char* suffix, const char* event, const std::string& delta) {
        const std::string name = s.keys_table + "_" + suffix;
        s.triggers.emplace_back(name, "CREATE TRIGGER " + quoted(name) + " AFTER " + event + " ON " + s.table +
                                          " BEGIN UPDATE " + quoted(s.keys_table) +
                                          " SET \"entries\"=\"entries\"+CASE \"key\"" + delta + " ELSE 0 END; END");
    };
    std::string add, del, upd;
    for (std::size_t i = 0; i < t.keys.size(); ++i) {
        const std::string when = std::string(" WHEN '") + t.keys[i].name + "' THEN ";
        add += when + s.keys[i].cond_new;
        del += when + "-" + s.keys[i].cond_old;
        upd += when + s.keys[i].cond_new + "-" + s.keys[i].cond_old;
    }
    if (!t.keys.empty()) {
        trigger("add", "INSERT", add);
        trigger("del", "DELETE", del);
        trigger("put", "UPDATE", upd);
    }
    return s;
}

} // namespace rt::kf
