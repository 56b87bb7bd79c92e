// The main module's globals and their clearing at process start and end.
#include "organizer/globals.h"

#include <cstddef>

namespace velquin {

rt::Queue<GNODE_ROW> GNODE;
GNODE_ROW& GND = GNODE.buffer();
G8_DATA G8{GNODE.buffer(), {}, {}, {}};
std::uint8_t ACTION = 0;
OINI_DATA OINI;
GLO_DATA GLO;
thread_local std::int32_t GLOBALRESPONSE = 0;
std::int32_t LCURRENTFDSETTING = 0;
std::int32_t LADJFDSETTING = 0;

const rt::Field Q2TYPE_FIELDS[11] = {
    {"INDEX", rt::FieldType::Text, offsetof(Q2TYPE, INDEX), 8},
    {"SUBJ", rt::FieldType::Text, offsetof(Q2TYPE, SUBJ), 100},
    {"CATEGORY", rt::FieldType::Text, offsetof(Q2TYPE, CATEGORY), 30},
    {"EXT", rt::FieldType::Text, offsetof(Q2TYPE, EXT), 3},
    {"ICONTYPE", rt::FieldType::Byte, offsetof(Q2TYPE, ICONTYPE), 1},
    {"SIZE", rt::FieldType::Text, offsetof(Q2TYPE, SIZE), 8},
    {"DATE", rt::FieldType::Long, offsetof(Q2TYPE, DATE), 4},
    {"TIME", rt::FieldType::Long, offsetof(Q2TYPE, TIME), 4},
    {"LINK", rt::FieldType::Text, offsetof(Q2TYPE, LINK), 1},
    {"AFILE", rt::FieldType::Text, offsetof(Q2TYPE, AFILE), 128},
    {"POINTER", rt::FieldType::Long, offsetof(Q2TYPE, POINTER), 4},
};

const rt::Field TREE_FIELDS[10] = {
    {"NODENAME", rt::FieldType::Text, offsetof(TREE_ROW, NODENAME), 30},
    {"COLORNFG", rt::FieldType::Long, offsetof(TREE_ROW, COLORNFG), 4},
    {"COLORNBG", rt::FieldType::Long, offsetof(TREE_ROW, COLORNBG), 4},
    {"COLORSFG", rt::FieldType::Long, offsetof(TREE_ROW, COLORSFG), 4},
    {"COLORSBG", rt::FieldType::Long, offsetof(TREE_ROW, COLORSBG), 4},
    {"ICONFIELD", rt::FieldType::Long, offsetof(TREE_ROW, ICONFIELD), 4},
    {"TREELEVEL", rt::FieldType::Long, offsetof(TREE_ROW, TREELEVEL), 4},
    {"TREENO", rt::FieldType::Short, offsetof(TREE_ROW, TREENO), 2},
    {"TSORT", rt::FieldType::Short, offsetof(TREE_ROW, TSORT), 2},
    {"POINTER", rt::FieldType::Long, offsetof(TREE_ROW, POINTER), 4},
};

void main_module_start() {
    GND = GNODE_ROW{};
    G8.AFILE.clear();
    G8.AREMARK.clear();
    G8.APATH.clear();
    OINI = OINI_DATA{};
    GLO = GLO_DATA{};
    ACTION = 0;
    LCURRENTFDSETTING = 0;
    LADJFDSETTING = 0;
    GLOBALRESPONSE = 0;
    GNODE.free();
}

void main_module_end() {
    GNODE.free();
}

} // namespace velquin
