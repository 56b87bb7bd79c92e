// The main module's globals and the shared queues: start-of-process clearing, look-ups in GNODE, the tree's sort
// order, and the document list's sorts by column.
#include "organizer/globals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velquin;

void add_node(std::int16_t node, std::u16string_view name, std::int16_t sort) {
    GND.NODE = node;
    GND.NODENAME = name;
    GND.SORT = sort;
    GNODE.add();
}

TEST(Globals, StartOfProcessClearsEverything) {
    OINI.DB = "C:\\x.VL1";
    OINI.FONTSIZE = 9;
    G8.AFILE = "a.txt";
    GLO.DBPATH = "C:\\x";
    ACTION = 2;
    add_node(3, u"x", 3);
    main_module_start();
    EXPECT_TRUE(OINI.DB.blank());
    EXPECT_EQ(OINI.FONTSIZE, 0);
    EXPECT_TRUE(G8.AFILE.blank() && G8.AREMARK.blank() && G8.APATH.blank());
    EXPECT_TRUE(GLO.DBPATH.blank() && GLO.HOMEPATH.blank());
    EXPECT_EQ(ACTION, 0);
    EXPECT_EQ(GNODE.records(), 0u);
    EXPECT_EQ(GND.NODE, 0);
    EXPECT_TRUE(GND.NODENAME.blank());
    EXPECT_EQ(&G8.GNODE, &GND);
}

TEST(Globals, GnodeIsLookedUpByNumberAndByName) {
    main_module_start();
    add_node(0, u"분류없음", 0);
    add_node(1, u"업무", 1);
    add_node(2, u"개인", 10002);
    GND = GNODE_ROW{};
    GND.NODE = 2;
    GNODE.get_by(&GNODE_ROW::NODE);
    EXPECT_EQ(rt::error_code(), 0);
    EXPECT_EQ(GND.NODENAME.text(), u"개인");
    EXPECT_EQ(GNODE.pointer(), 3u);
    GND.NODENAME = u"업무";
    GNODE.get_by(&GNODE_ROW::NODENAME);
    EXPECT_EQ(GND.NODE, 1);
    GND.NODE = 7;
    GNODE.get_by(&GNODE_ROW::NODE);
    EXPECT_EQ(rt::error_code(), rt::ERR_ENTRY_NOT_FOUND);
    GNODE.get(4);
    EXPECT_EQ(rt::error_code(), rt::ERR_ENTRY_NOT_FOUND);
    main_module_end();
    EXPECT_EQ(GNODE.records(), 0u);
}

TEST(Queues, TreeRowsSortByTsortKeepingEqualOnesInOrder) {
    TREE_QUEUE tree;
    EXPECT_EQ(tree.COLORNBG, 0xFFF4CF);
    EXPECT_EQ(tree.COLORSBG, 0xC97726);
    EXPECT_EQ(tree.COLORSFG, 0xFFFFFF);
    const std::int16_t rows[][2] = {{-30003, -30003}, {10000, 10000}, {1, 5},          {2, 3},
                                    {3, 5},           {4, 10004},     {-30002, -30002}};
    for (const auto& r : rows) {
        tree.TREENO = r[0];
        tree.TSORT = r[1];
        tree.add();
    }
    tree.sort(rt::order(rt::asc(&TREE_ROW::TSORT)));
    std::string got;
    for (std::size_t i = 1; i <= tree.records(); ++i)
        got += std::to_string(tree.row(i).TREENO) + " ";
    EXPECT_EQ(got, "-30003 -30002 2 1 3 10000 4 ");

    // A row added at its place goes after the rows equal to it.
    tree.TREENO = 5;
    tree.TSORT = 5;
    tree.add(rt::order(rt::asc(&TREE_ROW::TSORT)));
    EXPECT_EQ(tree.pointer(), 6u);
    tree.get(6);
    EXPECT_EQ(tree.TREENO, 5);
    tree.TSORT = 7;
    tree.put();
    tree.get(5);
    tree.del();
    EXPECT_EQ(tree.records(), 7u);
    tree.get(5);
    EXPECT_EQ(tree.TSORT, 7);
}

TEST(Queues, DocumentListSortsByColumnNumber) {
    rt::Queue<Q2TYPE> q2;
    const struct {
        const char* subj;
        std::int32_t date, time;
    } docs[] = {{"b", 70001, 5}, {"a", 70003, 1}, {"c", 70001, 9}, {"B", 69000, 1}};
    for (const auto& d : docs) {
        q2.SUBJ = d.subj;
        q2.DATE = d.date;
        q2.TIME = d.time;
        q2.add();
    }
    auto subjects = [&] {
        std::string s;
        for (std::size_t i = 1; i <= q2.records(); ++i)
            s += q2.row(i).SUBJ.clip();
        return s;
    };
    q2.sort(rt::order(rt::by_field<Q2TYPE>(Q2TYPE_FIELDS[6]))); // DATE ascending, as numbers
    EXPECT_EQ(subjects(), "Bbca");
    q2.sort(rt::order(rt::by_field<Q2TYPE>(Q2TYPE_FIELDS[1], true))); // SUBJ descending, by bytes
    EXPECT_EQ(subjects(), "cbaB");
    q2.sort(rt::order(rt::desc(&Q2TYPE::DATE), rt::desc(&Q2TYPE::TIME))); // the default order
    EXPECT_EQ(subjects(), "acbB");
    EXPECT_STREQ(Q2TYPE_FIELDS[10].name, "POINTER");
    EXPECT_EQ(Q2TYPE_FIELDS[10].offset, offsetof(Q2TYPE, POINTER));
}

} // namespace
