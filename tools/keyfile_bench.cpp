// Benchmark of the keyed data-file driver on a library of the program's shape (not a test).
//   keyfile_bench <folder> [documents]
// Makes <folder>/bench.VL1 once (default 100,000 documents with about 2 KB bodies, a tenth with a 50 KB object;
// filled by bulk SQL into the driver's schema, since a driver add is one durable transaction each), then times:
// opening (with its key check), counting, reading the list fields of every document in DATE_KEY order through
// the driver and by a bare SQLite query, a category view, and small puts on a document with a 2 MB body.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "organizer/globals.h"
#include "organizer/office.h"

using namespace velquin;
using Clock = std::chrono::steady_clock;

namespace {

long long touched = 0; // keeps the text reads from being optimised away

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void check(rt::Status status, const char* what) {
    if (!status) {
        std::fprintf(stderr, "%s: %ld %s / %s %s\n", what, rt::error_code(), rt::error_text().c_str(),
                     rt::driver_error_code().c_str(), rt::driver_error_text().c_str());
        std::exit(1);
    }
}

void sql_ok(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Fills a new library with n documents and 30 categories in one transaction.
void fill(const std::string& path, int n) {
    sqlite3* db = nullptr;
    sql_ok(db, sqlite3_open(path.c_str(), &db), "open");
    sql_ok(db, sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt* doc = nullptr;
    sql_ok(db,
           sqlite3_prepare_v2(db,
                              "INSERT INTO office(tree,sort,level,node,date,time,cdate,\"index\",ext,subj,size,"
                              "afile,aremark,index_upper) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                              -1, &doc, nullptr),
           "prepare");
    sqlite3_stmt* note = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO office_note VALUES(?,?)", -1, &note, nullptr);
    sqlite3_stmt* object = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO office_object VALUES(?,?)", -1, &object, nullptr);
    std::mt19937 rng(1);
    const std::string obj(50 * 1024, 'O');
    auto text = [](sqlite3_stmt* s, int at, const std::string& v) {
        sqlite3_bind_text(s, at, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    };
    for (int i = -30; i < n; ++i) {
        sqlite3_reset(doc);
        const bool category = i < 0;
        const int node = static_cast<int>(rng() % 31);
        const int date = 75000 + static_cast<int>(rng() % 3000);
        std::string index = rng() % 2 ? "" : "A-" + std::to_string(rng() % 5000);
        const bool has_object = !category && rng() % 10 == 0;
        std::string upper = index;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        upper.resize(10, ' ');
        sqlite3_bind_int(doc, 1, category ? -i : 0);
        sqlite3_bind_int(doc, 2, category ? -i : 0);
        sqlite3_bind_int(doc, 3, category ? 1 : 0);
        sqlite3_bind_int(doc, 4, category ? 0 : node);
        sqlite3_bind_int(doc, 5, category ? 0 : date);
        sqlite3_bind_int(doc, 6, category ? 0 : 1 + static_cast<int>(rng() % 8640000));
        sqlite3_bind_int(doc, 7, category ? 0 : date);
        text(doc, 8, category ? "" : index);
        text(doc, 9, has_object ? "DOC" : "");
        text(doc, 10, category ? "분류 " + std::to_string(-i) : "문서 제목 " + std::to_string(i) + " 회의록과 보고서");
        sqlite3_bind_int(doc, 11, has_object ? static_cast<int>(obj.size()) : 0);
        text(doc, 12, !category && rng() % 4 == 0 ? "첨부파일 " + std::to_string(i) + ".hwp" : "");
        text(doc, 13, "");
        sqlite3_bind_blob(doc, 14, category ? "          " : upper.data(), 10, SQLITE_TRANSIENT);
        sql_ok(db, sqlite3_step(doc), "insert");
        if (category) continue;
        const sqlite3_int64 pos = sqlite3_last_insert_rowid(db);
        std::string body = "{\\rtf1\\ansi\\ansicpg949 ";
        while (body.size() < 2000)
            body += "\\'c8\\'b8\\'c0\\'c7 text of the body " + std::to_string(i) + " ";
        body += "}";
        sqlite3_reset(note);
        sqlite3_bind_int64(note, 1, pos);
        sqlite3_bind_blob(note, 2, body.data(), static_cast<int>(body.size()), SQLITE_TRANSIENT);
        sql_ok(db, sqlite3_step(note), "note");
        if (has_object) {
            sqlite3_reset(object);
            sqlite3_bind_int64(object, 1, pos);
            sqlite3_bind_blob(object, 2, obj.data(), static_cast<int>(obj.size()), SQLITE_STATIC);
            sql_ok(db, sqlite3_step(object), "object");
        }
    }
    sqlite3_finalize(doc);
    sqlite3_finalize(note);
    sqlite3_finalize(object);
    sql_ok(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    sqlite3_close(db);
}

// The list fields of every document in DATE_KEY order, through the driver.
double scan_driver(long long& sum) {
    const auto t = Clock::now();
    sum = 0;
    OFC_RECORD& ofc = OFC; // thread_local: one look-up, not one per field (each is a call under mingw)
    rt::KeyFile& office = OFFICE;
    check(office.set(ofc.DATE_KEY), "set");
    for (rt::Status st = office.next(); st; st = office.next()) {
        if (ofc.NODE >= TRASH_NODE) continue;
        // Numbers are compared with the bare query's; the texts are only touched.
        sum += ofc.DATE + ofc.TIME + ofc.NODE + ofc.SIZE + office.position();
        touched += ofc.SUBJ.data[0] + ofc.INDEX.data[0] + ofc.EXT.data[0] + ofc.AFILE[0].data[0];
    }
    return seconds_since(t);
}

// The same rows by a bare query.
double scan_bare(sqlite3* db, long long& sum) {
    const auto t = Clock::now();
    sum = 0;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT pos,\"index\",subj,node,ext,size,date,time,afile FROM office WHERE date<>0 OR "
                       "time<>0 ORDER BY date DESC, time DESC, pos",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        if (sqlite3_column_int(s, 3) >= TRASH_NODE) continue;
        const auto* index = sqlite3_column_text(s, 1);
        const auto* subj = sqlite3_column_text(s, 2);
        const auto* ext = sqlite3_column_text(s, 4);
        const auto* afile = sqlite3_column_text(s, 8);
        sum += sqlite3_column_int(s, 6) + sqlite3_column_int(s, 7) + sqlite3_column_int(s, 3) +
               sqlite3_column_int(s, 5) + sqlite3_column_int(s, 0);
        touched += subj[0] + index[0] + ext[0] + afile[0];
    }
    sqlite3_finalize(s);
    return seconds_since(t);
}

// Every column of the same rows by a bare query: what reading whole records costs SQLite itself.
double scan_bare_all(sqlite3* db, long long& sum) {
    const auto t = Clock::now();
    sum = 0;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT pos,tree,sort,level,dno,node,user,date,time,cdate,\"index\",ext,subj,tag,size,afile,"
                       "aremark,date,time FROM office WHERE date<>0 OR time<>0 ORDER BY date DESC, time DESC, pos",
                       -1, &s, nullptr);
    const int n = sqlite3_column_count(s);
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i)
            sum += sqlite3_column_type(s, i) == SQLITE_INTEGER ? sqlite3_column_int(s, i) : sqlite3_column_bytes(s, i);
    }
    sqlite3_finalize(s);
    return seconds_since(t);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: keyfile_bench <folder> [documents]\n");
        return 2;
    }
    const int n = argc > 2 ? std::atoi(argv[2]) : 100000;
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "bench.VL1").string();
    main_module_start();
    OINI.DB = path;

    rt::Status opened = OFFICE.open();
    if (opened && OFFICE.records() != n + 30) {
        OFFICE.close();
        std::filesystem::remove(path);
        opened = OFFICE.open();
    }
    if (opened.code() == rt::ERR_FILE_NOT_FOUND) {
        std::printf("making %s with %d documents...\n", path.c_str(), n);
        const auto t = Clock::now();
        check(OFFICE.create(), "create");
        fill(path, n);
        // The bulk fill went around the driver: let it build the keys and their counts as its own.
        check(OFFICE.build(), "build");
        std::printf("made in %.1f s, %.0f MB\n", seconds_since(t),
                    static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    } else {
        OFFICE.close();
    }

    auto t = Clock::now();
    const rt::Status reopened = OFFICE.open();
    const double open_s = seconds_since(t);
    check(reopened, "open");
    t = Clock::now();
    const std::int32_t records = OFFICE.records();
    const double records_s = seconds_since(t);

    sqlite3* bare = nullptr;
    sqlite3_open_v2(path.c_str(), &bare, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(bare, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr); // the driver's page cache
    // Alternating runs; the median of each is reported (this kind of machine is noisy), the first one apart.
    std::vector<double> driver_s, bare_s, all_s;
    long long sum_driver = 0, sum_bare = 0, sum_all = 0;
    for (int round = 0; round < 9; ++round) {
        bare_s.push_back(scan_bare(bare, sum_bare));
        driver_s.push_back(scan_driver(sum_driver));
        all_s.push_back(scan_bare_all(bare, sum_all));
    }
    std::sort(all_s.begin(), all_s.end());
    const double first_driver = driver_s[0], first_bare = bare_s[0];
    std::sort(driver_s.begin(), driver_s.end());
    std::sort(bare_s.begin(), bare_s.end());
    const double best_driver = driver_s[driver_s.size() / 2], best_bare = bare_s[bare_s.size() / 2];
    sqlite3_close(bare);
    if (sum_driver != sum_bare) std::printf("warning: the two scans read different rows\n");
    if (touched == 42) std::printf(" ");

    // A category view: the documents of one category, newest first.
    t = Clock::now();
    int in_view = 0;
    OFFICE.clear();
    OFC.NODE = 7;
    OFC.DATE = 2147483647;
    check(OFFICE.set_from(OFC.NODE_KEY), "set");
    for (rt::Status st = OFFICE.next(); st && OFC.NODE == 7; st = OFFICE.next())
        ++in_view;
    const double view_s = seconds_since(t);

    // Small puts on a document with a 2 MB body.
    OFFICE.clear();
    OFC.DATE = 1;
    OFC.SUBJ = "big";
    OFFICE.set_blob(OFC.NOTE, std::string(2000000, 'x'));
    check(OFFICE.add(), "add");
    const std::int32_t big = OFFICE.position();
    t = Clock::now();
    for (int i = 0; i < 20; ++i) {
        check(OFFICE.get_at(big), "get");
        OFC.TIME = i + 1;
        check(OFFICE.put(), "put");
    }
    const double put_ms = seconds_since(t) * 1000 / 20;
    check(OFFICE.get_at(big), "get");
    check(OFFICE.del(), "delete");
    OFFICE.close();

    std::printf("records            %d (count %.1f ms)\n", records, records_s * 1000);
    std::printf("open with key check %.1f ms\n", open_s * 1000);
    std::printf(
        "list in date order: driver %.3f s (first %.3f), bare query %.3f s (first %.3f), ratio %.2f (medians)\n",
        best_driver, first_driver, best_bare, first_bare, best_driver / best_bare);
    std::printf("  (a bare query of every column of those rows: %.3f s)\n", all_s[all_s.size() / 2]);
    std::printf("category view       %d documents in %.1f ms\n", in_view, view_s * 1000);
    std::printf("put, 2 MB body      %.1f ms each\n", put_ms);
    return 0;
}
