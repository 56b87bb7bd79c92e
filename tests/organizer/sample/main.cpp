// Writes a sample library through the driver, and beside it what the driver reads from it: every record's
// fields and every key's order. The outside reader test compares that with the sqlite3 shell's view.
//   office_sample <folder>   makes <folder>/sample.VL1 and <folder>/sample-driver.txt
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "organizer/globals.h"
#include "organizer/office.h"

using namespace velquin;

namespace {

std::string hex(std::string_view s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void add(std::int16_t tree, std::int16_t sort, std::int16_t node, std::int32_t date, std::int32_t time,
         const std::string& index, const std::string& subj) {
    OFFICE.clear();
    OFC.TREE = tree;
    OFC.SORT = sort;
    OFC.LEVEL = tree ? 1 : 0;
    OFC.NODE = node;
    OFC.DATE = date;
    OFC.TIME = time;
    OFC.CDATE = date;
    OFC.INDEX = index;
    OFC.SUBJ = subj;
    if (!tree && date) {
        OFC.AFILE[0] = rt::to_cp949(u"보고서.hwp");
        OFC.AREMARK[0] = "first";
        OFC.AFILE[9] = "last.txt";
        OFFICE.set_blob(OFC.NOTE, "{\\rtf1 " + subj + "}");
    }
    if (!OFFICE.add()) {
        std::fprintf(stderr, "add: %ld %s\n", rt::error_code(), rt::driver_error_text().c_str());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    std::filesystem::remove(dir / "sample.VL1");
    main_module_start();
    OINI.DB = (dir / "sample.VL1").string();
    if (!OFFICE.create() || !OFFICE.open()) return 3;
    add(0, 0, 0, 0, 0, "", ""); // the blank record
    add(2, 1, 0, 0, 0, "", rt::to_cp949(u"업무"));
    add(1, 10001, 0, 0, 0, "", rt::to_cp949(u"개인"));
    add(0, 0, 1, 80100, 360000, "idx-b", rt::to_cp949(u"회의록 3월"));
    add(0, 0, 1, 80100, 360000, "IDX-B", "duplicate of the above");
    add(0, 0, 2, 80050, 100, "Idx-A", rt::to_cp949(u"가계부"));
    add(0, 1, TRASH_NODE, 80200, 1, "", "in the trash");
    add(0, 0, 0, 79999, 8639999, rt::to_cp949(u"가-1"), "no category");
    add(0, 0, 2, 80050, 200, "", "bytes \x80\xFF that are not CP949 \xB0");
    add(0, 10002, 2, 70000, 5, "zz", "category in the trash");

    std::ofstream out(dir / "sample-driver.txt", std::ios::binary);
    if (!OFFICE.set(OFC.DNO_KEY)) return 4; // empty key: the records come by position below
    for (std::int32_t pos = 1; pos <= 10; ++pos) {
        if (!OFFICE.get_at(pos)) return 4;
        out << "record " << pos << " " << OFC.TREE << " " << OFC.SORT << " " << OFC.LEVEL << " " << OFC.DNO << " "
            << OFC.NODE << " " << OFC.USER << " " << OFC.DATE << " " << OFC.TIME << " " << OFC.CDATE << " " << OFC.SIZE
            << " " << hex(OFC.INDEX.clip()) << " " << hex(OFC.EXT.clip()) << " " << hex(OFC.SUBJ.clip()) << " "
            << hex(OFC.TAG.clip()) << " " << hex(OFC.AFILE[0].clip()) << " " << hex(OFC.AFILE[9].clip()) << " "
            << hex(OFC.AREMARK[0].clip()) << " " << hex(OFFICE.blob(OFC.NOTE)) << "\n";
    }
    const struct {
        const char* name;
        rt::Key key;
    } keys[] = {{"TREE_KEY", OFC.TREE_KEY},
                {"NODE_KEY", OFC.NODE_KEY},
                {"DNO_KEY", OFC.DNO_KEY},
                {"DATE_KEY", OFC.DATE_KEY},
                {"INDEX_KEY", OFC.INDEX_KEY}};
    for (const auto& k : keys) {
        out << "key " << k.name;
        if (!OFFICE.set(k.key)) return 5;
        for (rt::Status st = OFFICE.next(); st; st = OFFICE.next())
            out << " " << OFFICE.position();
        out << "\n";
    }
    OFFICE.close();
    return 0;
}
