// Opening, creating and closing a file: the connection, its settings and prepared statements, the check of the
// table and its keys at open, and rebuilding damaged keys.
#include "runtime/keyfile_impl.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace rt {

// The statements that make an empty file of this table.
std::string KeyFile::Impl::create_sql() const {
    const Schema& s = schema;
    std::string sql = s.table_sql + ";" + s.keys_sql + ";";
    for (const std::string& b : s.blob_sql)
        sql += b + ";";
    for (const KeyInfo& k : s.keys)
        sql += k.index_sql + ";";
    for (const auto& t : s.triggers)
        sql += t.second + ";";
    for (const KeyDecl& k : table.keys)
        sql += "INSERT INTO " + quoted(s.keys_table) + " VALUES('" + k.name + "',0);";
    return sql;
}

// Makes the file over again from its records when an index cannot even be dropped: the records go into a
// fresh file beside it (row by row, so that the new indexes are built from them and no old index page is
// read), which then replaces the file's contents in one journaled transaction.
int KeyFile::Impl::copy_into_fresh_file(sqlite3* h, const std::string& path) const {
    const std::string tmp = path + "-rebuild";
    sqlite3_vfs* v = vfs();
    v->xDelete(v, tmp.c_str(), 0);
    sqlite3* fresh = nullptr;
    int rc = sqlite3_open_v2(tmp.c_str(), &fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) rc = exec(fresh, "BEGIN;" + create_sql() + "COMMIT;");
    if (rc == SQLITE_OK) {
        Stmt attach;
        rc = attach.prepare(h, "ATTACH ? AS \"rebuild\"");
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(attach.get(), 1, tmp.c_str(), -1, SQLITE_STATIC);
            rc = run(attach.get());
        }
        if (rc == SQLITE_OK) {
            const Schema& s = schema;
            std::string sql = "BEGIN;INSERT INTO \"rebuild\"." + s.table + " SELECT * FROM \"main\"." + s.table + ";";
            for (const std::string& b : s.blob_tables)
                sql += "INSERT INTO \"rebuild\"." + quoted(b) + " SELECT * FROM \"main\"." + quoted(b) + ";";
            sql += "UPDATE \"rebuild\".sqlite_sequence SET seq=max(seq,coalesce((SELECT seq FROM "
                   "\"main\".sqlite_sequence WHERE name='" +
                   s.table_name + "'),0)) WHERE name='" + s.table_name + "';";
            rc = exec(h, sql + "COMMIT;");
            if (rc != SQLITE_OK) exec(h, "ROLLBACK");
            exec(h, "DETACH \"rebuild\"");
        }
    }
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(h, "main", fresh, "main");
        if (!b) {
            rc = sqlite3_errcode(h);
        } else {
            rc = sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        }
    }
    sqlite3_close_v2(fresh);
    v->xDelete(v, tmp.c_str(), 0);
    return rc;
}

void KeyFile::Impl::finalize_all() {
    begin = Stmt();
    begin_read = Stmt();
    commit = Stmt();
    rollback = Stmt();
    savepoint = Stmt();
    release = Stmt();
    undo_write = Stmt();
    insert = Stmt();
    update = Stmt();
    erase = Stmt();
    select_at = Stmt();
    count = Stmt();
    blob_read.clear();
    blob_size.clear();
    blob_write.clear();
    blob_erase.clear();
    blob_copy.clear();
    key_stmts.clear();
}

void KeyFile::Impl::close_db() {
    finalize_all();
    if (db) sqlite3_close_v2(db); // rolls back an open transaction
    db = nullptr;
    txn = false;
}

// Settings of every connection that need no access to the file.
void KeyFile::Impl::configure(sqlite3* h) const {
    sqlite3_busy_timeout(h, busy_ms);
    sqlite3_extended_result_codes(h, 1);
    sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

// Settings that read the schema: made once it is known that the file can be read.
int KeyFile::Impl::tune(sqlite3* h) {
    int rc = exec(h, "PRAGMA synchronous=FULL");
    if (rc == SQLITE_OK) rc = exec(h, "PRAGMA cache_size=-32768");
    return rc;
}

// Opens a connection to an existing file; 0 or the data-layer code (error state set).
long KeyFile::Impl::connect(const std::string& path, sqlite3** out) const {
    *out = nullptr;
    if (path.empty()) {
        set_error(ERR_FILE_NOT_FOUND, {}, "no file name");
        return ERR_FILE_NOT_FOUND;
    }
    sqlite3* h = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        long code = driver_failure(h, rc);
        if ((rc & 0xFF) == SQLITE_CANTOPEN) {
            if (!path_exists(path))
                code = folder_exists(parent_of(path)) ? ERR_FILE_NOT_FOUND : ERR_PATH_NOT_FOUND;
            else
                code = sqlite3_system_errno(h) == 32 ? ERR_LOCKED : ERR_ACCESS_DENIED;
            set_code(code);
        }
        sqlite3_close_v2(h);
        return code;
    }
    if (sqlite3_db_readonly(h, "main") == 1) {
        sqlite3_close_v2(h);
        set_error(ERR_ACCESS_DENIED, {}, "the file is read-only");
        return ERR_ACCESS_DENIED;
    }
    configure(h);
    *out = h;
    return 0;
}

// Checks that the file holds this table with intact keys: 0, ERR_INVALID_FILE, ERR_KEYS_DAMAGED or another
// code (error state set).
long KeyFile::Impl::check(sqlite3* h) const {
    int rc = exec(h, "BEGIN");
    long code = rc == SQLITE_OK ? check_in_transaction(h) : driver_failure(h, rc);
    exec(h, "COMMIT");
    return code;
}

long KeyFile::Impl::check_in_transaction(sqlite3* h) const {
    std::map<std::string, std::string> objects; // name -> sql
    {
        Stmt s;
        int rc = s.prepare(h, "SELECT name, sql FROM sqlite_schema");
        while (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            rc = SQLITE_OK;
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1));
            objects[name ? name : ""] = sql ? sql : "";
        }
        if (rc != SQLITE_DONE) {
            const long code = driver_failure(h, rc);
            return code;
        }
    }
    auto has = [&](const std::string& name, const std::string& sql) {
        const auto it = objects.find(name);
        return it != objects.end() && it->second == sql;
    };
    bool layout = schema.valid && has(schema.table_name, schema.table_sql);
    for (std::size_t i = 0; i < schema.blob_tables.size(); ++i)
        layout = layout && has(schema.blob_tables[i], schema.blob_sql[i]);
    if (!layout) {
        set_error(ERR_INVALID_FILE, {}, "the file does not hold the table " + std::string(table.name));
        return ERR_INVALID_FILE;
    }
    auto damaged = [](std::string why) {
        set_error(ERR_KEYS_DAMAGED, {}, std::move(why));
        return ERR_KEYS_DAMAGED;
    };
    bool keys = has(schema.keys_table, schema.keys_sql);
    for (const KeyInfo& k : schema.keys)
        keys = keys && has(k.index, k.index_sql);
    for (const auto& [name, sql] : schema.triggers)
        keys = keys && has(name, sql);
    if (!keys) return damaged("a key's index or its bookkeeping is missing or changed");

    // The number of entries of every index must be the number its records should give it.
    std::map<std::string, std::int64_t> expected;
    {
        Stmt s;
        int rc = s.prepare(h, "SELECT \"key\", \"entries\" FROM " + quoted(schema.keys_table));
        while (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            rc = SQLITE_OK;
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            expected[name ? name : ""] = sqlite3_column_int64(s.get(), 1);
        }
        if (rc != SQLITE_DONE) {
            if (is_corrupt(rc)) return damaged(sqlite3_errmsg(h));
            return driver_failure(h, rc);
        }
    }
    for (std::size_t i = 0; i < schema.keys.size(); ++i) {
        const KeyInfo& k = schema.keys[i];
        Stmt s;
        int rc = s.prepare(h, "SELECT count(*) FROM " + schema.table + " INDEXED BY " + quoted(k.index) + " WHERE " +
                                  k.cond);
        if (rc == SQLITE_OK) rc = sqlite3_step(s.get());
        if (rc != SQLITE_ROW) {
            if (is_corrupt(rc)) return damaged(std::string(table.keys[i].name) + ": " + sqlite3_errmsg(h));
            return driver_failure(h, rc);
        }
        const auto it = expected.find(table.keys[i].name);
        if (it == expected.end() || it->second != sqlite3_column_int64(s.get(), 0))
            return damaged(std::string(table.keys[i].name) + " does not hold the entries of its records");
    }
    return 0;
}

int KeyFile::Impl::prepare_statements() {
    const Schema& s = schema;
    int rc = SQLITE_OK;
    auto prep = [&](Stmt& st, const std::string& sql) {
        if (rc == SQLITE_OK) rc = st.prepare(db, sql);
    };
    prep(begin, "BEGIN IMMEDIATE");
    prep(begin_read, "BEGIN");
    prep(commit, "COMMIT");
    prep(rollback, "ROLLBACK");
    prep(savepoint, "SAVEPOINT \"write\"");
    prep(release, "RELEASE \"write\"");
    prep(undo_write, "ROLLBACK TO \"write\"");
    prep(insert, s.insert_sql);
    prep(update, s.update_sql);
    prep(erase, "DELETE FROM " + s.table + " WHERE \"pos\"=?");
    prep(select_at, "SELECT " + s.select_cols + " FROM " + s.table + " WHERE \"pos\"=?");
    prep(count, "SELECT count(*) FROM " + s.table);
    const std::size_t n = s.blob_tables.size();
    blob_read.resize(n);
    blob_size.resize(n);
    blob_write.resize(n);
    blob_erase.resize(n);
    blob_copy.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string t = quoted(s.blob_tables[i]);
        prep(blob_read[i], "SELECT \"data\" FROM " + t + " WHERE \"pos\"=?");
        prep(blob_size[i], "SELECT length(\"data\") FROM " + t + " WHERE \"pos\"=?");
        prep(blob_write[i], "INSERT OR REPLACE INTO " + t + "(\"pos\",\"data\") VALUES(?,?)");
        prep(blob_erase[i], "DELETE FROM " + t + " WHERE \"pos\"=?");
        prep(blob_copy[i],
             "INSERT OR REPLACE INTO " + t + "(\"pos\",\"data\") SELECT ?,\"data\" FROM " + t + " WHERE \"pos\"=?");
    }
    key_stmts.clear();
    key_stmts.resize(s.keys.size());
    return rc;
}

Status KeyFile::open(int mode) {
    Impl& m = *impl_;
    if (m.db) return fail(ERR_ALREADY_OPEN);
    if (mode != MODE_READ_WRITE_SHARED) {
        char text[64];
        std::snprintf(text, sizeof text, "access mode %02Xh is not implemented", static_cast<unsigned>(mode));
        return fail(ERR_NOT_SUPPORTED, {}, text);
    }
    sqlite3* h = nullptr;
    if (m.connect(utf8_path(m.file_name()), &h) != 0) return failed();
    if (m.check(h) != 0) {
        sqlite3_close_v2(h);
        return failed();
    }
    if (const int rc = Impl::tune(h); rc != SQLITE_OK) {
        driver_failure(h, rc);
        sqlite3_close_v2(h);
        return failed();
    }
    // A file switched to WAL by another program goes back to the rollback journal when nobody else has it open.
    {
        Stmt s;
        if (s.prepare(h, "PRAGMA journal_mode") == SQLITE_OK && sqlite3_step(s.get()) == SQLITE_ROW) {
            const auto* mode_text = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            if (mode_text && std::strcmp(mode_text, "wal") == 0) {
                sqlite3_reset(s.get());
                exec(h, "PRAGMA journal_mode=DELETE");
            }
        }
    }
    m.db = h;
    if (const int rc = m.prepare_statements(); rc != SQLITE_OK) {
        driver_failure(h, rc);
        m.close_db();
        return failed();
    }
    m.current = 0;
    m.cur = Impl::Cursor();
    for (auto& b : m.blobs)
        b = Impl::BlobSlot();
    return succeed();
}

Status KeyFile::create() {
    Impl& m = *impl_;
    if (m.db) return fail(ERR_ALREADY_OPEN);
    if (!m.schema.valid) return fail(ERR_INVALID_FILE, {}, "the table declaration is inconsistent");
    const std::string path = utf8_path(m.file_name());
    if (path.empty()) return fail(ERR_FILE_NOT_FOUND, {}, "no file name");
    if (path_exists(path)) return fail(ERR_ACCESS_DENIED, {}, "the file already exists");
    if (!folder_exists(parent_of(path))) return fail(ERR_PATH_NOT_FOUND, {}, "the folder does not exist");
    sqlite3* h = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        driver_failure(h, rc);
        if ((rc & 0xFF) == SQLITE_CANTOPEN) set_code(ERR_ACCESS_DENIED);
        sqlite3_close_v2(h);
        return failed();
    }
    m.configure(h);
    Impl::tune(h);
    // Another process may have made the file in the meantime: build only into an empty database.
    bool empty = false;
    rc = exec(h, "BEGIN EXCLUSIVE");
    if (rc == SQLITE_OK) {
        Stmt s;
        rc = s.prepare(h, "SELECT count(*) FROM sqlite_schema");
        if (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            empty = sqlite3_column_int64(s.get(), 0) == 0;
            rc = SQLITE_OK;
        }
    }
    if (rc == SQLITE_OK && empty) {
        const std::string sql = m.create_sql();
        rc = exec(h, sql);
    }
    if (rc == SQLITE_OK && empty) rc = exec(h, "COMMIT");
    if (rc == SQLITE_OK && empty) {
        sqlite3_close_v2(h);
        return succeed();
    }
    if (rc != SQLITE_OK)
        driver_failure(h, rc);
    else
        set_error(ERR_ACCESS_DENIED, {}, "the file already exists");
    exec(h, "ROLLBACK");
    sqlite3_close_v2(h);
    if (empty) {
        sqlite3_vfs* v = vfs();
        v->xDelete(v, path.c_str(), 0);
    }
    return failed();
}

void KeyFile::close() {
    impl_->close_db();
    impl_->current = 0;
    impl_->cur = Impl::Cursor();
    ok();
}

Status KeyFile::build() {
    Impl& m = *impl_;
    if (m.txn) return fail(ERR_NOT_SUPPORTED, {}, "the keys cannot be rebuilt inside a transaction");
    if (!m.schema.valid) return fail(ERR_INVALID_FILE, {}, "the table declaration is inconsistent");
    sqlite3* h = m.db;
    bool own = false;
    if (!h) {
        if (m.connect(utf8_path(m.file_name()), &h) != 0) return failed();
        own = true;
    } else {
        m.drop_batch();
        // Statements in progress would keep the file from being replaced; the cached ones are only reset.
        for (sqlite3_stmt* s = sqlite3_next_stmt(h, nullptr); s; s = sqlite3_next_stmt(h, s))
            sqlite3_reset(s);
    }
    const Schema& s = m.schema;
    auto rebuild = [&]() {
        std::string sql = "BEGIN IMMEDIATE;";
        for (const auto& t : s.triggers)
            sql += "DROP TRIGGER IF EXISTS " + quoted(t.first) + ";";
        for (const KeyInfo& k : s.keys)
            sql += "DROP INDEX IF EXISTS " + quoted(k.index) + ";";
        sql += "DROP TABLE IF EXISTS " + quoted(s.keys_table) + ";" + s.keys_sql + ";";
        for (const KeyInfo& k : s.keys)
            sql += k.index_sql + ";";
        for (const auto& t : s.triggers)
            sql += t.second + ";";
        for (std::size_t i = 0; i < s.keys.size(); ++i)
            sql += "INSERT INTO " + quoted(s.keys_table) + " SELECT '" + m.table.keys[i].name + "',count(*) FROM " +
                   s.table + " WHERE " + s.keys[i].cond + ";";
        sql += "COMMIT;";
        const int rc = exec(h, sql);
        if (rc != SQLITE_OK) exec(h, "ROLLBACK");
        return rc;
    };
    // The file must hold the table at all; a file of another kind is not ours to change.
    long code = 0;
    {
        Stmt st;
        int rc = st.prepare(h, "SELECT sql FROM sqlite_schema WHERE name=?");
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(st.get(), 1, s.table_name.c_str(), -1, SQLITE_STATIC);
            rc = sqlite3_step(st.get());
        }
        const auto* sql = rc == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)) : nullptr;
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            if (!sql || s.table_sql != sql) {
                code = ERR_INVALID_FILE;
                set_error(code, {}, "the file does not hold this table");
            }
        } else {
            code = driver_failure(h, rc);
        }
    }
    if (code == 0) {
        int rc = rebuild();
        // Dropping an index walks its pages; when they are damaged the file is made over from its records.
        if (is_corrupt(rc)) rc = m.copy_into_fresh_file(h, utf8_path(m.file_name()));
        if (rc != SQLITE_OK) code = driver_failure(h, rc);
    }
    if (own) sqlite3_close_v2(h);
    return code == 0 ? succeed() : Status(code);
}

} // namespace rt
