// Helper process of the category tests: trashes, restores and deletes for good the categories of a library
// through the organizer's category-wide writes until it is killed.
//   category_writer <library> <started-file> <seed>
// The started file appears once the first write is done.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "organizer/globals.h"
#include "organizer/office.h"

using namespace velquin;

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    main_module_start();
    OINI.DB = argv[1];
    if (!OFFICE.open()) return 3;
    std::mt19937 rng(static_cast<unsigned>(std::atoi(argv[3])));
    for (bool started = false;;) {
        const auto number = static_cast<std::int16_t>(1 + rng() % 8);
        OFFICE.clear();
        OFC.TREE = number;
        if (!OFFICE.get(OFC_RECORD::TREE_KEY)) continue;
        const CategoryFailure failed = OFC.LEVEL == 1 ? trash_category(number)
                                       : rng() % 4    ? restore_category(number)
                                                      : delete_category(number);
        if (failed != CategoryFailure::none) return 4;
        if (!started) {
            if (FILE* f = std::fopen(argv[2], "wb")) std::fclose(f);
            started = true;
        }
    }
}
