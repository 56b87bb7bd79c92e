// Writes and large fields. Each write is one transaction in the rollback journal with synchronous=FULL (no WAL:
// files may sit on network shares), or a savepoint inside the caller's transaction, so a killed process never
// leaves a half-written record or a half-done transaction.
#include "runtime/keyfile_impl.h"

#include <cstring>

namespace rt {

// Runs body as one write: its own transaction, or a savepoint inside the caller's transaction. On failure
// it leaves nothing written and the error of the failing step.
template <class Body> bool KeyFile::Impl::transaction(Body body) {
    drop_batch();
    if (txn) {
        if (txn_lost()) return set_error(ERR_DRIVER, {}, "the transaction was rolled back"), false;
        int rc = run(savepoint.get());
        long code = 0;
        if (rc == SQLITE_OK) rc = body(code);
        if (rc == SQLITE_OK && code == 0) rc = run(release.get());
        if (rc == SQLITE_OK && code == 0) return true;
        if (rc != SQLITE_OK)
            driver_failure(db, rc);
        else
            set_error(code);
        if (!sqlite3_get_autocommit(db)) {
            run(undo_write.get());
            run(release.get());
        }
        return false;
    }
    int rc = run(begin.get());
    if (rc != SQLITE_OK) {
        driver_failure(db, rc);
        return false;
    }
    long code = 0;
    rc = body(code);
    if (rc == SQLITE_OK && code == 0) {
        rc = run(commit.get());
        if (rc == SQLITE_OK) return true;
    }
    if (rc != SQLITE_OK)
        driver_failure(db, rc);
    else
        set_error(code);
    run(rollback.get());
    return false;
}

bool KeyFile::Impl::row_changed(long& code) const {
    if (sqlite3_changes(db) != 0) return true;
    code = ERR_RECORD_NOT_FOUND;
    return false;
}

int KeyFile::Impl::write_blob(std::size_t i, std::int64_t pos, const std::string& data) {
    if (data.empty()) {
        sqlite3_bind_int64(blob_erase[i].get(), 1, pos);
        return run(blob_erase[i].get());
    }
    sqlite3_stmt* st = blob_write[i].get();
    sqlite3_bind_int64(st, 1, pos);
    sqlite3_bind_blob64(st, 2, data.data(), data.size(), SQLITE_STATIC);
    return run(st);
}

void KeyFile::clear() {
    std::memcpy(impl_->record, impl_->blank.data(), impl_->blank.size());
    for (auto& b : impl_->blobs) {
        b.loaded = true;
        b.dirty = true;
        b.data.clear();
    }
}

Status KeyFile::add() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    std::int64_t pos = 0;
    const bool done = m.transaction([&](long&) {
        m.bind_record(m.insert.get());
        int rc = run(m.insert.get());
        if (rc != SQLITE_OK) return rc;
        pos = sqlite3_last_insert_rowid(m.db);
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i) {
            const Impl::BlobSlot& b = m.blobs[i];
            if (b.loaded) {
                if (!b.data.empty()) rc = m.write_blob(i, pos, b.data);
            } else if (b.source) {
                sqlite3_stmt* st = m.blob_copy[i].get();
                sqlite3_bind_int64(st, 1, pos);
                sqlite3_bind_int64(st, 2, b.source);
                rc = run(st);
            }
        }
        return rc;
    });
    if (!done) return failed();
    m.current = pos;
    for (auto& b : m.blobs) {
        b.dirty = false;
        b.source = pos;
    }
    return succeed();
}

Status KeyFile::put() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.current) return fail(ERR_NOT_AVAILABLE);
    const bool done = m.transaction([&](long& code) {
        const int at = m.bind_record(m.update.get());
        sqlite3_bind_int64(m.update.get(), at, m.current);
        int rc = run(m.update.get());
        if (rc != SQLITE_OK || !m.row_changed(code)) return rc;
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i)
            if (m.blobs[i].dirty) rc = m.write_blob(i, m.current, m.blobs[i].data);
        return rc;
    });
    if (!done) return failed();
    for (auto& b : m.blobs) {
        b.dirty = false;
        b.source = m.current;
    }
    return succeed();
}

Status KeyFile::del() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.current) return fail(ERR_NOT_AVAILABLE);
    const bool done = m.transaction([&](long& code) {
        sqlite3_bind_int64(m.erase.get(), 1, m.current);
        int rc = run(m.erase.get());
        if (rc != SQLITE_OK || !m.row_changed(code)) return rc;
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i) {
            sqlite3_bind_int64(m.blob_erase[i].get(), 1, m.current);
            rc = run(m.blob_erase[i].get());
        }
        return rc;
    });
    if (!done) return failed();
    m.current = 0;
    for (auto& b : m.blobs) {
        if (!b.loaded) b.data.clear();
        b.loaded = true;
        b.dirty = false;
        b.source = 0;
    }
    return succeed();
}

Status KeyFile::begin() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (m.txn) return fail(ERR_NOT_SUPPORTED, {}, "a transaction is already open");
    m.drop_batch();
    if (const int rc = run(m.begin.get()); rc != SQLITE_OK) return Status(driver_failure(m.db, rc));
    m.txn = true;
    return succeed();
}

Status KeyFile::commit() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.txn) return fail(ERR_NOT_AVAILABLE, {}, "no transaction is open");
    m.drop_batch();
    Status result;
    if (m.txn_lost()) {
        result = fail(ERR_DRIVER, {}, "the transaction was rolled back");
    } else if (const int rc = run(m.commit.get()); rc != SQLITE_OK) {
        // Still open (another process reads the file past the busy timeout, or the disk failed): undo it.
        result = Status(driver_failure(m.db, rc));
        if (!sqlite3_get_autocommit(m.db)) run(m.rollback.get());
    } else {
        result = succeed();
    }
    m.txn = false;
    return result;
}

void KeyFile::rollback() {
    Impl& m = *impl_;
    if (!m.db || !m.txn) return;
    m.drop_batch();
    if (!sqlite3_get_autocommit(m.db)) run(m.rollback.get());
    m.txn = false;
}

bool KeyFile::in_transaction() const {
    return impl_->txn;
}

const std::string& KeyFile::blob(Blob b) {
    Impl& m = *impl_;
    static const std::string none;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field"), none;
    Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    if (!slot.loaded) {
        if (!m.db) return set_error(ERR_NOT_OPEN), none;
        sqlite3_stmt* st = m.blob_read[static_cast<std::size_t>(b.index)].get();
        sqlite3_bind_int64(st, 1, slot.source);
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(st, 0));
            slot.data.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st, 0)));
        } else if (rc == SQLITE_DONE) {
            slot.data.clear();
        } else {
            driver_failure(m.db, rc);
            sqlite3_reset(st);
            return none;
        }
        sqlite3_reset(st);
        slot.loaded = true;
    }
    ok();
    return slot.data;
}

std::size_t KeyFile::blob_size(Blob b) {
    Impl& m = *impl_;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field"), 0;
    const Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    if (slot.loaded) return ok(), slot.data.size();
    if (!m.db) return set_error(ERR_NOT_OPEN), 0;
    sqlite3_stmt* st = m.blob_size[static_cast<std::size_t>(b.index)].get();
    sqlite3_bind_int64(st, 1, slot.source);
    const int rc = sqlite3_step(st);
    std::size_t n = 0;
    if (rc == SQLITE_ROW) n = static_cast<std::size_t>(sqlite3_column_int64(st, 0));
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        ok();
    else
        driver_failure(m.db, rc);
    sqlite3_reset(st);
    return n;
}

void KeyFile::set_blob(Blob b, std::string_view bytes) {
    Impl& m = *impl_;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field");
    Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    slot.data.assign(bytes.data(), bytes.size());
    slot.loaded = true;
    slot.dirty = true;
    ok();
}

} // namespace rt
