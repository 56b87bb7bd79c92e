// Tests of the keyed data-file driver: error codes from real situations, exact text, key orders against a model,
// positions, large fields, damaged keys and locks.
#include "runtime/keyfile.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "process.h"
#include "runtime/text.h"
#include "test_table.h"
#include "tests/utf8.h"

namespace {

using kt::DOC;

std::string err() {
    return "error " + std::to_string(rt::error_code()) + " " + rt::error_text() + " / driver " +
           rt::driver_error_code() + " " + rt::driver_error_text();
}

#define EXPECT_CODE(n) EXPECT_EQ(rt::error_code(), n) << err()
#define ASSERT_CODE(n) ASSERT_EQ(rt::error_code(), n) << err()

// A fresh file of the test table, created and open.
struct Lib {
    std::string dir, path;
    DOC d;
    rt::KeyFile f{kt::DOCS, &d};

    explicit Lib(const std::string& tag, bool open = true) : dir(kt::temp_folder(tag)), path(dir + "docs.VL1") {
        f.set_name(path);
        EXPECT_EQ(f.create().code(), 0) << err();
        if (open) {
            EXPECT_EQ(f.open().code(), 0) << err();
        }
    }
    ~Lib() {
        f.close();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

// A plain SQLite connection, as another program would have.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const std::string& path) { EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK); }
    ~Raw() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        char* msg = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg), SQLITE_OK) << sql << ": " << (msg ? msg : "");
        sqlite3_free(msg);
    }
    // The first column of the first row, as text.
    std::string one(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        std::string out = "<none>";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
            const auto* t = static_cast<const char*>(sqlite3_column_blob(s, 0));
            out.assign(t ? t : "", static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
        }
        sqlite3_finalize(s);
        return out;
    }
};

using testutil::utf8;

// ---- a model of the key orders, made from the declaration

std::int64_t number(const DOC& d, const rt::Field& f) {
    const char* p = reinterpret_cast<const char*>(&d) + f.offset;
    if (f.type == rt::FieldType::Byte) return static_cast<unsigned char>(*p);
    if (f.type == rt::FieldType::Short) {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::string text(const DOC& d, const rt::Field& f, bool nocase) {
    const std::string_view raw(reinterpret_cast<const char*>(&d) + f.offset, f.size);
    return nocase ? rt::upper(raw) : std::string(raw);
}

bool in_key(const DOC& d, int key) {
    const rt::KeyDecl& k = kt::DOCS.keys[static_cast<std::size_t>(key)];
    if (!k.optional) return true;
    for (const rt::KeyPart& p : k.parts) {
        const rt::Field& f = kt::DOCS.fields[p.field];
        if (f.type == rt::FieldType::Text ? text(d, f, false) != std::string(f.size, ' ') : number(d, f) != 0)
            return true;
    }
    return false;
}

int compare(const DOC& a, const DOC& b, int key) {
    const rt::KeyDecl& k = kt::DOCS.keys[static_cast<std::size_t>(key)];
    for (const rt::KeyPart& p : k.parts) {
        const rt::Field& f = kt::DOCS.fields[p.field];
        int c;
        if (f.type == rt::FieldType::Text) {
            const int m = text(a, f, k.nocase).compare(text(b, f, k.nocase));
            c = m < 0 ? -1 : m > 0;
        } else {
            const auto x = number(a, f), y = number(b, f);
            c = x < y ? -1 : x > y;
        }
        if (c) return p.descending ? -c : c;
    }
    return 0;
}

struct Rec {
    std::int32_t pos;
    DOC d;
};

// The positions of the records of a key, in key order (equal values by position).
std::vector<std::int32_t> model_order(const std::vector<Rec>& recs, int key) {
    std::vector<Rec> in;
    for (const Rec& r : recs)
        if (in_key(r.d, key)) in.push_back(r);
    std::sort(in.begin(), in.end(), [&](const Rec& a, const Rec& b) {
        const int c = compare(a.d, b.d, key);
        return c ? c < 0 : a.pos < b.pos;
    });
    std::vector<std::int32_t> out;
    for (const Rec& r : in)
        out.push_back(r.pos);
    return out;
}

// The positions that the driver reads through a key from its start, forward or backward.
std::vector<std::int32_t> driver_order(rt::KeyFile& f, rt::Key key, bool backward = false) {
    std::vector<std::int32_t> out;
    EXPECT_EQ(f.set(key).code(), 0);
    for (backward ? f.previous() : f.next(); rt::error_code() == 0; backward ? f.previous() : f.next())
        out.push_back(f.position());
    EXPECT_CODE(rt::ERR_NOT_AVAILABLE);
    return out;
}

// Random records of every kind: duplicates, letter case, Korean, blanks.
std::vector<Rec> fill_random(Lib& lib, int n, unsigned seed) {
    std::mt19937 rng(seed);
    const std::vector<std::string> codes = {
        "", "abc", "ABC", "Abd", "a", rt::to_cp949(u"가나"), rt::to_cp949(u"가a"), rt::to_cp949(u"가A"), "zz", " lead"};
    std::vector<Rec> recs;
    for (int i = 0; i < n; ++i) {
        lib.f.clear();
        if (rng() % 20) {
            lib.d.FLAG = static_cast<std::uint8_t>(rng() % 4);
            lib.d.GROUP = static_cast<std::int16_t>(static_cast<int>(rng() % 6) - 1);
            lib.d.DATE = static_cast<std::int32_t>(rng() % 30);
            lib.d.TIME = static_cast<std::int32_t>(rng() % 3);
            lib.d.CODE = codes[rng() % codes.size()];
            lib.d.TAG = codes[rng() % codes.size()];
            lib.d.TITLE = "t" + std::to_string(i);
        }
        EXPECT_EQ(lib.f.add().code(), 0) << err();
        recs.push_back({lib.f.position(), lib.d});
    }
    return recs;
}

TEST(KeyFileOpen, ErrorCodesComeFromRealSituations) {
    Lib lib("errors");
    DOC d;
    rt::KeyFile other(kt::DOCS, &d);

    other.set_name(lib.dir + "missing.VL1");
    EXPECT_EQ(other.open().code(), rt::ERR_FILE_NOT_FOUND) << err();
    other.set_name(lib.dir + "no-folder/x.VL1");
    EXPECT_EQ(other.open().code(), rt::ERR_PATH_NOT_FOUND) << err();
    EXPECT_EQ(other.create().code(), rt::ERR_PATH_NOT_FOUND) << err();

    // Creating over an existing library refuses and leaves it as it was.
    EXPECT_EQ(lib.f.add().code(), 0);
    other.set_name(lib.path);
    EXPECT_EQ(other.create().code(), rt::ERR_ACCESS_DENIED) << err();
    EXPECT_EQ(lib.f.records(), 1);

    EXPECT_EQ(lib.f.open().code(), rt::ERR_ALREADY_OPEN) << err();
    EXPECT_TRUE(lib.f.is_open());

    EXPECT_EQ(other.open(0x22).code(), rt::ERR_NOT_SUPPORTED) << err();
    EXPECT_FALSE(other.is_open());
    EXPECT_EQ(other.next().code(), rt::ERR_NOT_OPEN) << err();
    EXPECT_EQ(other.add().code(), rt::ERR_NOT_OPEN) << err();

    // A text file renamed to .VL1, a SQLite file of something else, a library whose table was altered.
    const std::string text_file = lib.dir + "notes.VL1";
    std::ofstream(text_file) << "Dear diary,\nthis is not a library.\n";
    other.set_name(text_file);
    EXPECT_EQ(other.open().code(), rt::ERR_INVALID_FILE) << err();
    const std::string foreign = lib.dir + "foreign.VL1";
    Raw(foreign).exec("CREATE TABLE docs(a, b)");
    other.set_name(foreign);
    EXPECT_EQ(other.open().code(), rt::ERR_INVALID_FILE) << err();
    lib.f.close();
    Raw(lib.path).exec("ALTER TABLE docs ADD COLUMN extra INTEGER");
    EXPECT_EQ(lib.f.open().code(), rt::ERR_INVALID_FILE) << err();

    other.set_name(lib.dir + "missing.VL1");
    EXPECT_EQ(other.send("Bogus=1"), "");
    EXPECT_CODE(rt::ERR_NOT_SUPPORTED);
    EXPECT_EQ(other.send("Recover=x"), "");
    EXPECT_CODE(rt::ERR_NOT_SUPPORTED);
    EXPECT_EQ(other.send(" recover = 3 "), "3");
    EXPECT_CODE(0);
}

TEST(KeyFileOpen, KoreanFileName) {
    const std::string dir = kt::temp_folder("korean");
    DOC d;
    rt::KeyFile f(kt::DOCS, &d);
    char name[100];
    const std::string full = dir + rt::to_cp949(u"내 문서함.VL1");
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, full.data(), full.size());
    f.bind_name(name, sizeof name);
    EXPECT_EQ(f.name(), full);
    EXPECT_EQ(f.create().code(), 0) << err();
    EXPECT_EQ(f.open().code(), 0) << err();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / std::filesystem::path(u8"내 문서함.VL1")));
}

TEST(KeyFileFields, TextKeepsItsBytesAndReadsAsUtf8) {
    Lib lib("fields");
    const std::string korean = rt::to_cp949(u" 오피스문서 관리");
    const std::string odd = std::string("\x80\xFF ab\0c", 7) + "\xB0"; // not CP949, a NUL, a lone lead byte
    lib.f.clear();
    lib.d.FLAG = 255;
    lib.d.GROUP = -32768;
    lib.d.DATE = 2147483647;
    lib.d.TIME = -2147483647 - 1;
    lib.d.TITLE = korean;
    lib.d.CODE = "Mixed Ab";
    std::memcpy(lib.d.TAG.data, odd.data(), 8);
    lib.d.FILES[2] = rt::to_cp949(u"끝 파일.doc");
    DOC written = lib.d;
    ASSERT_EQ(lib.f.add().code(), 0) << err();
    const std::int32_t pos = lib.f.position();
    lib.f.close();
    EXPECT_EQ(lib.f.open().code(), 0);
    lib.f.clear();
    ASSERT_EQ(lib.f.get_at(pos).code(), 0) << err();
    EXPECT_EQ(std::memcmp(&lib.d, &written, sizeof(DOC)), 0);
    EXPECT_EQ(+lib.d.GROUP, -32768);
    EXPECT_EQ(+lib.d.TIME, -2147483647 - 1);
    EXPECT_EQ(lib.d.TITLE.clip(), korean);

    // Another reader sees readable UTF-8 where the bytes convert, and the bytes themselves where they do not.
    lib.f.close();
    Raw raw(lib.path);
    EXPECT_EQ(raw.one("SELECT typeof(title) FROM docs"), "text");
    EXPECT_EQ(raw.one("SELECT title FROM docs"), utf8(u" 오피스문서 관리"));
    EXPECT_EQ(raw.one("SELECT files FROM docs"), "\n\n" + utf8(u"끝 파일.doc")); // slots are lines
    EXPECT_EQ(raw.one("SELECT typeof(tag) FROM docs"), "blob");
    EXPECT_EQ(raw.one("SELECT tag FROM docs"), odd);
    EXPECT_EQ(raw.one("SELECT code_upper FROM docs"), "MIXED AB  ");

    // An array with a slot that does not convert keeps all its bytes.
    EXPECT_EQ(lib.f.open().code(), 0);
    lib.f.clear();
    lib.d.FILES[1] = std::string("a\x80"
                                 "b");
    written = lib.d;
    EXPECT_EQ(lib.f.add().code(), 0);
    lib.f.clear();
    EXPECT_EQ(lib.f.get_at(lib.f.position()).code(), 0);
    EXPECT_EQ(std::memcmp(&lib.d, &written, sizeof(DOC)), 0);
    lib.f.close();
    EXPECT_EQ(raw.one("SELECT typeof(files) FROM docs WHERE pos=2"), "blob");
    EXPECT_EQ(raw.one("SELECT length(files) FROM docs WHERE pos=2"), "36");
}

TEST(KeyFileKeys, EveryKeyReadsInTheModelsOrderBothWays) {
    Lib lib("orders");
    const std::vector<Rec> recs = fill_random(lib, 2500, 7);
    EXPECT_EQ(lib.f.records(), 2500);
    const rt::Key keys[] = {DOC::GROUP_KEY, DOC::DATE_KEY, DOC::CODE_KEY, DOC::TAG_KEY, DOC::FLAG_KEY};
    for (rt::Key k : keys) {
        const std::vector<std::int32_t> want = model_order(recs, k.index);
        EXPECT_EQ(driver_order(lib.f, k), want) << "key " << k.index;
        std::vector<std::int32_t> back = driver_order(lib.f, k, true);
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, want) << "key " << k.index << " backward";
    }
    // The blank records are counted but in no optional key; the key that is not optional holds them all.
    std::vector<std::int32_t> blank;
    for (const Rec& r : recs)
        if (r.d.TITLE.blank()) blank.push_back(r.pos);
    ASSERT_FALSE(blank.empty());
    for (rt::Key k : {DOC::GROUP_KEY, DOC::DATE_KEY, DOC::CODE_KEY, DOC::TAG_KEY})
        for (std::int32_t p : driver_order(lib.f, k))
            EXPECT_TRUE(std::find(blank.begin(), blank.end(), p) == blank.end()) << "key " << k.index << " holds " << p;
    EXPECT_EQ(driver_order(lib.f, DOC::FLAG_KEY).size(), recs.size());
}

TEST(KeyFileKeys, SetFromValueAndGetByValue) {
    Lib lib("values");
    const std::vector<Rec> recs = fill_random(lib, 600, 11);
    const std::vector<std::int32_t> order = model_order(recs, DOC::CODE_KEY.index);
    auto rec_at = [&](std::int32_t pos) {
        return std::find_if(recs.begin(), recs.end(), [&](const Rec& r) { return r.pos == pos; })->d;
    };
    // "abc" and "ABC" are the same value to a case-insensitive key: get finds the first of them all.
    lib.f.clear();
    lib.d.CODE = "aBc";
    ASSERT_EQ(lib.f.get(DOC::CODE_KEY).code(), 0) << err();
    const auto first = std::find_if(order.begin(), order.end(), [&](std::int32_t p) {
        return rt::upper(rec_at(p).CODE.view()) == rt::upper(std::string_view("ABC       "));
    });
    ASSERT_NE(first, order.end());
    EXPECT_EQ(lib.f.position(), *first);
    lib.d.CODE = "nothing";
    EXPECT_EQ(lib.f.get(DOC::CODE_KEY).code(), rt::ERR_RECORD_NOT_FOUND) << err();
    lib.f.clear();
    EXPECT_EQ(lib.f.get(DOC::CODE_KEY).code(), rt::ERR_RECORD_NOT_FOUND) << err(); // a blank value is in no optional key

    // From a value: next reads from the first record at or after it, previous from the last at or before it.
    lib.f.clear();
    lib.d.CODE = "ABD";
    EXPECT_EQ(lib.f.set_from(DOC::CODE_KEY).code(), 0);
    ASSERT_EQ(lib.f.next().code(), 0) << err();
    const auto after = std::find_if(order.begin(), order.end(),
                                    [&](std::int32_t p) { return rt::upper(rec_at(p).CODE.view()) >= "ABD       "; });
    ASSERT_NE(after, order.end());
    EXPECT_EQ(lib.f.position(), *after);
    lib.f.clear();
    lib.d.CODE = "abc";
    EXPECT_EQ(lib.f.set_from(DOC::CODE_KEY).code(), 0);
    ASSERT_EQ(lib.f.previous().code(), 0) << err();
    EXPECT_EQ(lib.f.position(), *(after - 1));
    EXPECT_EQ(rt::upper(lib.d.CODE.view()), "ABC       ");

    // Group 2 from its newest date: the category-view pattern.
    lib.f.clear();
    lib.d.GROUP = 2;
    lib.d.DATE = 2147483647;
    EXPECT_EQ(lib.f.set_from(DOC::GROUP_KEY).code(), 0);
    std::vector<std::int32_t> got;
    for (rt::Status st = lib.f.next(); st && lib.d.GROUP == 2; st = lib.f.next())
        got.push_back(lib.f.position());
    std::vector<std::int32_t> want;
    for (std::int32_t p : model_order(recs, DOC::GROUP_KEY.index))
        if (rec_at(p).GROUP == 2) want.push_back(p);
    EXPECT_EQ(got, want);
}

TEST(KeyFileKeys, ScanGoesOnAfterPutsAndDeletesOnTheWay) {
    Lib lib("scanwrite");
    for (int i = 0; i < 300; ++i) {
        lib.f.clear();
        lib.d.GROUP = static_cast<std::int16_t>(i % 3);
        lib.d.DATE = 100 + i;
        lib.d.VER = i;
        EXPECT_EQ(lib.f.add().code(), 0);
    }
    lib.f.clear();
    lib.d.GROUP = 1;
    lib.d.DATE = 2147483647;
    EXPECT_EQ(lib.f.set_from(DOC::GROUP_KEY).code(), 0);
    std::vector<std::int32_t> seen;
    for (rt::Status st = lib.f.next(); st && lib.d.GROUP == 1; st = lib.f.next()) {
        seen.push_back(+lib.d.VER);
        if (lib.d.VER % 2) {
            EXPECT_EQ(lib.f.del().code(), 0);
        } else {
            lib.d.TITLE = "kept";
            EXPECT_EQ(lib.f.put().code(), 0);
        }
        ASSERT_CODE(0);
    }
    ASSERT_EQ(seen.size(), 100u);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i - 1], seen[i]); // newest first, none twice
    EXPECT_EQ(lib.f.records(), 250);
    lib.f.clear();
    lib.d.GROUP = 1;
    lib.d.DATE = 2147483647;
    EXPECT_EQ(lib.f.set_from(DOC::GROUP_KEY).code(), 0);
    int left = 0;
    for (rt::Status st = lib.f.next(); st && lib.d.GROUP == 1; st = lib.f.next()) {
        EXPECT_EQ(+lib.d.VER % 2, 0);
        EXPECT_EQ(lib.d.TITLE.clip(), "kept");
        ++left;
    }
    EXPECT_EQ(left, 50);
}

TEST(KeyFilePositions, StableAcrossAddsAndDeletesAndNeverReused) {
    Lib lib("positions");
    std::vector<std::int32_t> pos;
    for (int i = 0; i < 10; ++i) {
        lib.f.clear();
        lib.d.VER = i;
        EXPECT_EQ(lib.f.add().code(), 0);
        pos.push_back(lib.f.position());
    }
    EXPECT_EQ(lib.f.get_at(pos[3]).code(), 0);
    EXPECT_EQ(lib.f.del().code(), 0);
    EXPECT_EQ(lib.f.get_at(pos[9]).code(), 0); // the last one too
    ASSERT_EQ(lib.f.del().code(), 0) << err();
    EXPECT_EQ(lib.f.put().code(), rt::ERR_NOT_AVAILABLE) << err(); // no current record after a delete
    for (int i = 10; i < 15; ++i) {
        lib.f.clear();
        lib.d.VER = i;
        EXPECT_EQ(lib.f.add().code(), 0);
        EXPECT_TRUE(std::find(pos.begin(), pos.end(), lib.f.position()) == pos.end()) << lib.f.position();
    }
    for (int i : {0, 1, 2, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(lib.f.get_at(pos[static_cast<std::size_t>(i)]).code(), 0) << err();
        EXPECT_EQ(+lib.d.VER, i);
    }
    EXPECT_EQ(lib.f.get_at(pos[3]).code(), rt::ERR_RECORD_NOT_FOUND) << err();

    // Past the end: 33, and the way back starts from the last record read.
    EXPECT_EQ(lib.f.set(DOC::FLAG_KEY).code(), 0);
    std::int32_t last = 0;
    for (rt::Status st = lib.f.next(); st; st = lib.f.next())
        last = lib.d.VER;
    EXPECT_CODE(rt::ERR_NOT_AVAILABLE);
    EXPECT_EQ(lib.f.next().code(), rt::ERR_NOT_AVAILABLE) << err();
    EXPECT_EQ(lib.f.previous().code(), 0) << err();
    EXPECT_EQ(+lib.d.VER, 13);
    EXPECT_EQ(last, 14);
}

TEST(KeyFileBlobs, LargeFieldsRoundTripByteForByte) {
    Lib lib("blobs");
    std::string body(2000000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 + (i >> 11));
    const std::string object = kt::body_of(1, 2, 3 * 1024 * 1024);
    lib.f.clear();
    lib.d.TITLE = "big";
    lib.d.DATE = 5;
    lib.f.set_blob(DOC::BODY, body);
    lib.f.set_blob(DOC::OBJ, object);
    ASSERT_EQ(lib.f.add().code(), 0) << err();
    const std::int32_t pos = lib.f.position();
    lib.f.close();
    EXPECT_EQ(lib.f.open().code(), 0);
    EXPECT_EQ(lib.f.set(DOC::DATE_KEY).code(), 0);
    ASSERT_EQ(lib.f.next().code(), 0) << err();
    EXPECT_EQ(lib.f.blob_size(DOC::BODY), body.size());
    EXPECT_TRUE(lib.f.blob(DOC::BODY) == body);
    EXPECT_TRUE(lib.f.blob(DOC::OBJ) == object);

    // A small change leaves the large fields alone; emptying one removes it from the file.
    EXPECT_EQ(lib.f.get_at(pos).code(), 0);
    lib.d.TITLE = "renamed";
    ASSERT_EQ(lib.f.put().code(), 0) << err();
    EXPECT_EQ(lib.f.get_at(pos).code(), 0);
    EXPECT_TRUE(lib.f.blob(DOC::BODY) == body);
    lib.f.set_blob(DOC::OBJ, "");
    EXPECT_EQ(lib.f.put().code(), 0);
    EXPECT_EQ(lib.f.get_at(pos).code(), 0);
    EXPECT_EQ(lib.f.blob_size(DOC::OBJ), 0u);
    EXPECT_EQ(lib.f.blob(DOC::OBJ), "");

    // The buffer holds the large fields: adding a read record copies them; a cleared buffer has none.
    EXPECT_EQ(lib.f.add().code(), 0);
    const std::int32_t copy = lib.f.position();
    lib.f.clear();
    EXPECT_EQ(lib.f.add().code(), 0);
    const std::int32_t empty = lib.f.position();
    EXPECT_EQ(lib.f.get_at(copy).code(), 0);
    EXPECT_TRUE(lib.f.blob(DOC::BODY) == body);
    EXPECT_EQ(lib.f.get_at(empty).code(), 0);
    EXPECT_EQ(lib.f.blob(DOC::BODY), "");
    EXPECT_EQ(lib.f.get_at(copy).code(), 0);
    EXPECT_EQ(lib.f.del().code(), 0);
    EXPECT_EQ(lib.f.get_at(pos).code(), 0);
    ASSERT_EQ(lib.f.del().code(), 0) << err();
    lib.f.close();
    EXPECT_EQ(Raw(lib.path).one("SELECT count(*) FROM docs_body"), "0");
}

// The rootpage of an index, from the file itself.
int rootpage(const std::string& path, const std::string& index) {
    return std::stoi(Raw(path).one("SELECT rootpage FROM sqlite_schema WHERE name='" + index + "'"));
}

TEST(KeyFileDamage, DamagedKeysGive46UntilBuilt) {
    Lib lib("damage");
    const std::vector<Rec> recs = fill_random(lib, 2000, 3);
    lib.f.close();

    // An index dropped by another program.
    Raw(lib.path).exec("DROP INDEX docs_tag_key");
    EXPECT_EQ(lib.f.open().code(), rt::ERR_KEYS_DAMAGED) << err();
    EXPECT_FALSE(lib.f.is_open());
    ASSERT_EQ(lib.f.build().code(), 0) << err();
    ASSERT_EQ(lib.f.open().code(), 0) << err();
    EXPECT_EQ(driver_order(lib.f, DOC::TAG_KEY), model_order(recs, DOC::TAG_KEY.index));
    lib.f.close();

    // An index that lost entries.
    Raw(lib.path).exec("UPDATE docs_keys SET entries=entries-1 WHERE key='DATE_KEY'");
    EXPECT_EQ(lib.f.open().code(), rt::ERR_KEYS_DAMAGED) << err();
    ASSERT_EQ(lib.f.build().code(), 0) << err();

    // A page of an index overwritten with garbage.
    const int root = rootpage(lib.path, "docs_code_key");
    ASSERT_GT(root, 1);
    {
        std::fstream file(lib.path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(root - 1) * 4096);
        const std::string junk(4096, '\xA5');
        file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    EXPECT_EQ(lib.f.open().code(), rt::ERR_KEYS_DAMAGED) << err();
    ASSERT_EQ(lib.f.build().code(), 0) << err();
    ASSERT_EQ(lib.f.open().code(), 0) << err();
    EXPECT_EQ(lib.f.records(), 2000);
    EXPECT_EQ(driver_order(lib.f, DOC::CODE_KEY), model_order(recs, DOC::CODE_KEY.index));
    for (const Rec& r : recs) {
        ASSERT_EQ(lib.f.get_at(r.pos).code(), 0) << err();
        ASSERT_EQ(std::memcmp(&lib.d, &r.d, sizeof(DOC)), 0) << r.pos;
    }
    lib.f.close();
    EXPECT_EQ(Raw(lib.path).one("PRAGMA integrity_check"), "ok");
}

// Position and title of every record, read through the key that holds them all.
std::string contents(rt::KeyFile& f, const DOC& d) {
    std::string out;
    rt::Status st = f.set(DOC::FLAG_KEY);
    for (st = st ? f.next() : st; st; st = f.next())
        out += std::to_string(f.position()) + ":" + d.TITLE.clip() + " ";
    EXPECT_TRUE(st.end()) << err();
    return out;
}

TEST(KeyFileTransactions, SeveralWritesLandTogetherOrNotAtAll) {
    Lib lib("txn");
    fill_random(lib, 30, 9);
    DOC d;
    rt::KeyFile other(kt::DOCS, &d);
    other.set_name(lib.path);
    other.send("Recover=0");
    ASSERT_EQ(other.open().code(), 0) << err();
    const std::string before = contents(other, d);
    std::string written;
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        rt::Transaction t(lib.f);
        ASSERT_EQ(t.status().code(), 0) << err();
        EXPECT_EQ(lib.f.begin().code(), rt::ERR_NOT_SUPPORTED) << "one transaction at a time";
        EXPECT_EQ(lib.f.build().code(), rt::ERR_NOT_SUPPORTED);
        // Writes while scanning the same instance: the scan sees them and goes on.
        rt::Status st = lib.f.set(DOC::FLAG_KEY);
        std::int32_t gone = 0;
        for (st = st ? lib.f.next() : st; st; st = lib.f.next()) {
            if (!gone) {
                gone = lib.f.position();
                ASSERT_EQ(lib.f.del().code(), 0) << err();
                continue;
            }
            lib.d.TITLE = "new " + lib.d.TITLE.clip();
            ASSERT_EQ(lib.f.put().code(), 0) << err();
        }
        EXPECT_TRUE(st.end()) << err();
        lib.f.clear();
        lib.d.TITLE = "added";
        ASSERT_EQ(lib.f.add().code(), 0) << err();
        // An operation that fails ends nothing: the transaction goes on.
        ASSERT_EQ(lib.f.get_at(gone).code(), rt::ERR_RECORD_NOT_FOUND);
        ASSERT_EQ(lib.f.del().code(), 0) << err();
        EXPECT_EQ(lib.f.put().code(), rt::ERR_NOT_AVAILABLE);
        lib.f.clear();
        lib.d.TITLE = "added after";
        ASSERT_EQ(lib.f.add().code(), 0) << err();
        written = contents(lib.f, lib.d);
        EXPECT_NE(written, before);
        // Another instance reads the file as it was and cannot write until the transaction ends.
        EXPECT_EQ(contents(other, d), before);
        other.clear();
        EXPECT_EQ(other.add().code(), rt::ERR_LOCKED) << err();
        EXPECT_TRUE(lib.f.in_transaction());
        if (commit) {
            EXPECT_EQ(t.commit().code(), 0) << err();
        }
    }
    EXPECT_FALSE(lib.f.in_transaction());
    EXPECT_EQ(contents(other, d), written);
    EXPECT_EQ(lib.f.records(), 30 - 1 + 1);
}

TEST(KeyFileLocks, LockedFileGives32UntilRecoverOutlastsTheLock) {
    Lib lib("locks", false);
    const std::string ready = lib.dir + "ready", release = lib.dir + "release";
    kt::Process child = kt::spawn("keyfile_child", {"lock", lib.path, ready, release, "1500"});
    ASSERT_TRUE(kt::wait_for_file(ready, 30000)) << "the child did not take the lock";
    EXPECT_EQ(lib.f.open().code(), rt::ERR_LOCKED) << err();
    EXPECT_FALSE(lib.f.is_open());
    // Held past the default second from here on, but not past 20.
    EXPECT_EQ(lib.f.send("Recover=20"), "20");
    std::fclose(std::fopen(release.c_str(), "wb"));
    EXPECT_EQ(lib.f.open().code(), 0) << err();
    EXPECT_EQ(kt::wait(child), 0);
}

TEST(KeyFileLocks, APausedScanDoesNotKeepOthersFromWriting) {
    Lib lib("paused");
    fill_random(lib, 100, 5);
    EXPECT_EQ(lib.f.set(DOC::FLAG_KEY).code(), 0);
    ASSERT_EQ(lib.f.next().code(), 0) << err();
    DOC d;
    rt::KeyFile other(kt::DOCS, &d);
    other.set_name(lib.path);
    other.send("Recover=0");
    ASSERT_EQ(other.open().code(), 0) << err();
    other.clear();
    EXPECT_EQ(other.add().code(), 0) << err();
    EXPECT_EQ(lib.f.next().code(), 0) << err();
}

} // namespace
