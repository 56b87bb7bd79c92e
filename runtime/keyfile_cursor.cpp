// Reading: by key value, by position, and sequentially. Sequential reading steps a statement over the key's index in
// batches and resets it between them, so a paused scan holds no lock that would block other processes.
#include "runtime/keyfile_impl.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace rt {

// Appends a row (its position and cells) to the batch.
void KeyFile::Impl::keep_row(std::int64_t pos, const std::vector<Cell>& row) {
    std::string& a = cur.arena;
    cur.rows.push_back(a.size());
    a.append(reinterpret_cast<const char*>(&pos), sizeof pos);
    for (const Cell& c : row) {
        a += static_cast<char>(c.type);
        if (c.type == SQLITE_INTEGER) {
            a.append(reinterpret_cast<const char*>(&c.number), sizeof c.number);
        } else if (c.type != SQLITE_NULL) {
            const auto n = static_cast<std::uint32_t>(c.bytes.size());
            a.append(reinterpret_cast<const char*>(&n), sizeof n);
            a.append(c.bytes.data(), c.bytes.size());
        }
    }
}

// The position and cells of batch row i.
std::int64_t KeyFile::Impl::row_cells(std::size_t i, std::vector<Cell>& out) const {
    const char* p = cur.arena.data() + cur.rows[i];
    std::int64_t pos;
    std::memcpy(&pos, p, sizeof pos);
    p += sizeof pos;
    const std::vector<int>& text_column = schema.keys[static_cast<std::size_t>(cur.key)].text_column;
    const std::size_t n =
        schema.columns.size() +
        static_cast<std::size_t>(std::count_if(text_column.begin(), text_column.end(), [](int kc) { return kc >= 0; }));
    out.resize(n);
    for (Cell& c : out) {
        c.type = static_cast<unsigned char>(*p++);
        c.number = 0;
        c.bytes = {};
        if (c.type == SQLITE_INTEGER) {
            std::memcpy(&c.number, p, sizeof c.number);
            p += sizeof c.number;
        } else if (c.type != SQLITE_NULL) {
            std::uint32_t len;
            std::memcpy(&len, p, sizeof len);
            p += sizeof len;
            c.bytes = std::string_view(p, len);
            p += len;
        }
    }
    return pos;
}

sqlite3_stmt* KeyFile::Impl::key_statement(int key, int dir, int tier) {
    KeyStmts& ks = key_stmts[static_cast<std::size_t>(key)];
    const KeyInfo& ki = schema.keys[static_cast<std::size_t>(key)];
    const KeyDecl& kd = table.keys[static_cast<std::size_t>(key)];
    const std::size_t n = kd.parts.size();
    Stmt* st;
    if (tier < 0) {
        st = &ks.start[dir];
    } else {
        if (ks.tier[dir].empty()) ks.tier[dir].resize(n + 1);
        st = &ks.tier[dir][static_cast<std::size_t>(tier)];
    }
    if (*st) return st->get();
    std::string key_cols; // numeric components are read from the record's columns
    for (std::size_t i = 0; i < n; ++i)
        if (ki.text_column[i] >= 0) key_cols += "," + ki.exprs[i];
    std::string sql = "SELECT " + schema.select_cols + key_cols + " FROM " + schema.table + " INDEXED BY " +
                      quoted(ki.index) + " WHERE (" + ki.cond + ")";
    const bool back = dir == 1;
    auto order_from = [&](std::size_t first) {
        std::string o = " ORDER BY ";
        for (std::size_t i = first; i < n; ++i) {
            const bool desc = kd.parts[i].descending != back;
            o += ki.exprs[i] + (desc ? " DESC," : ",");
        }
        return o + (back ? "\"pos\" DESC" : "\"pos\"");
    };
    if (tier < 0) {
        sql += order_from(0);
    } else {
        const auto t = static_cast<std::size_t>(tier);
        for (std::size_t i = 0; i < t; ++i)
            sql += " AND " + ki.exprs[i] + "=?";
        if (t == n) {
            sql += back ? " AND \"pos\"<?" : " AND \"pos\">?";
            sql += order_from(n);
        } else {
            const bool after_is_greater = kd.parts[t].descending == back;
            sql += " AND " + ki.exprs[t] + (after_is_greater ? ">?" : "<?");
            sql += order_from(t);
        }
    }
    sql += " LIMIT ?";
    if (st->prepare(db, sql) != SQLITE_OK) return nullptr;
    return st->get();
}

// Appends the rows of a statement to the batch, at most `room`; answers the number read or -1 on failure.
int KeyFile::Impl::fetch(sqlite3_stmt* st, int room) {
    int got = 0, rc = SQLITE_DONE;
    while (got < room && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        cells_of(st, cur.key, cells);
        keep_row(sqlite3_column_int64(st, 0), cells);
        ++cur.count;
        ++got;
    }
    if (got < room && rc != SQLITE_DONE) {
        driver_failure(db, rc);
        sqlite3_reset(st);
        return -1;
    }
    sqlite3_reset(st);
    return got;
}

// Row i of the batch into the record buffer; it becomes the current record and the reading position.
void KeyFile::Impl::take_row(std::size_t i) {
    const std::int64_t pos = row_cells(i, cells);
    decode_row(cells.data(), record);
    // Numeric components are the record's own columns (one per field); text ones follow the record.
    const KeyDecl& kd = table.keys[static_cast<std::size_t>(cur.key)];
    const std::vector<int>& text_column = schema.keys[static_cast<std::size_t>(cur.key)].text_column;
    std::size_t next_text = schema.columns.size();
    cur.at.resize(kd.parts.size());
    for (std::size_t k = 0; k < kd.parts.size(); ++k) {
        KeyValue& v = cur.at[k];
        v.text = text_column[k] >= 0;
        if (v.text) {
            const Cell& c = cells[next_text++];
            v.bytes.assign(c.bytes.data(), c.bytes.size());
        } else {
            v.number = cells[kd.parts[k].field].number;
        }
    }
    cur.pos = pos;
    cur.mode = Cursor::Mode::After;
    became_current(pos);
}

// Reads the next batch in direction dir (0 forward, 1 backward) from the cursor's position, in one read
// transaction (each costs lock calls, which under Wine are server round trips).
bool KeyFile::Impl::refill(int dir) {
    const bool own = !txn && run(begin_read.get()) == SQLITE_OK;
    const bool done = refill_batch(dir);
    if (own) run(commit.get());
    return done;
}

bool KeyFile::Impl::refill_batch(int dir) {
    cur.count = cur.index = 0;
    cur.arena.clear();
    cur.rows.clear();
    cur.dir = dir == 0 ? 1 : -1;
    const int room = cur.batch;
    cur.batch = std::min(cur.batch * 2, kMaxBatch);
    const std::size_t n = table.keys[static_cast<std::size_t>(cur.key)].parts.size();
    if (cur.mode == Cursor::Mode::Start) {
        sqlite3_stmt* st = key_statement(cur.key, dir, -1);
        if (!st) return driver_failure(db, sqlite3_errcode(db)), false;
        sqlite3_bind_int(st, 1, room);
        return fetch(st, room) >= 0;
    }
    for (int tier = static_cast<int>(n); tier >= 0 && static_cast<int>(cur.count) < room; --tier) {
        sqlite3_stmt* st = key_statement(cur.key, dir, tier);
        if (!st) return driver_failure(db, sqlite3_errcode(db)), false;
        int at = 1;
        for (int i = 0; i < tier; ++i)
            bind_value(st, at++, cur.at[static_cast<std::size_t>(i)]);
        if (tier == static_cast<int>(n)) {
            std::int64_t pos = cur.pos;
            if (cur.mode == Cursor::Mode::Value) pos = dir == 0 ? 0 : std::numeric_limits<std::int64_t>::max();
            sqlite3_bind_int64(st, at++, pos);
        } else {
            bind_value(st, at++, cur.at[static_cast<std::size_t>(tier)]);
        }
        sqlite3_bind_int(st, at, room - static_cast<int>(cur.count));
        if (fetch(st, room - static_cast<int>(cur.count)) < 0) return false;
    }
    return true;
}

Status KeyFile::Impl::step(int dir) {
    if (!db) return fail(ERR_NOT_OPEN);
    if (cur.key < 0 || cur.mode == Cursor::Mode::None) return fail(ERR_NOT_AVAILABLE);
    const int want = dir == 0 ? 1 : -1;
    if (cur.dir != want || cur.index >= cur.count) {
        if (!refill(dir)) return failed();
    }
    if (cur.index >= cur.count) {
        cur.dir = 0; // the next call asks again
        return fail(ERR_NOT_AVAILABLE);
    }
    take_row(cur.index++);
    return succeed();
}

// Any write of this instance: rows read ahead may be stale, the next read seeks again from the position.
void KeyFile::Impl::drop_batch() {
    cur.count = cur.index = 0;
    cur.arena.clear();
    cur.rows.clear();
    cur.dir = 0;
}

Status KeyFile::get(Key key) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (key.index < 0 || static_cast<std::size_t>(key.index) >= m.table.keys.size())
        return fail(ERR_NOT_SUPPORTED, {}, "no such key");
    const std::vector<KeyValue> value = m.buffer_key(key.index);
    const int n = static_cast<int>(value.size());
    // The statement of the tier of equal values in sequential reading, limited to one row and read here
    // directly: the cursor and its batch stay as they are.
    sqlite3_stmt* st = m.key_statement(key.index, 0, n);
    if (!st) return Status(driver_failure(m.db, sqlite3_errcode(m.db)));
    for (int i = 0; i < n; ++i)
        bind_value(st, i + 1, value[static_cast<std::size_t>(i)]);
    sqlite3_bind_int64(st, n + 1, 0);
    sqlite3_bind_int(st, n + 2, 1);
    return m.read_one(st);
}

Status KeyFile::get_at(std::int32_t position) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    sqlite3_bind_int64(m.select_at.get(), 1, position);
    return m.read_one(m.select_at.get());
}

Status KeyFile::Impl::read_one(sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        read_row(st, record);
        became_current(sqlite3_column_int64(st, 0));
        sqlite3_reset(st);
        return succeed();
    }
    if (rc == SQLITE_DONE)
        set_error(ERR_RECORD_NOT_FOUND);
    else
        driver_failure(db, rc);
    sqlite3_reset(st);
    return failed();
}

// Positions sequential reading on a key: before its start, or at the buffer's value of it.
Status KeyFile::Impl::start_reading(Key key, Cursor::Mode mode) {
    if (!db) return fail(ERR_NOT_OPEN);
    if (key.index < 0 || static_cast<std::size_t>(key.index) >= table.keys.size())
        return fail(ERR_NOT_SUPPORTED, {}, "no such key");
    cur.key = key.index;
    cur.mode = mode;
    if (mode == Cursor::Mode::Value) cur.at = buffer_key(key.index);
    cur.batch = kMinBatch;
    drop_batch();
    return succeed();
}

Status KeyFile::set(Key key) {
    return impl_->start_reading(key, Impl::Cursor::Mode::Start);
}

Status KeyFile::set_from(Key key) {
    return impl_->start_reading(key, Impl::Cursor::Mode::Value);
}

Status KeyFile::next() {
    return impl_->step(0);
}

Status KeyFile::previous() {
    return impl_->step(1);
}

} // namespace rt
