// Paths derived at start: the default library and the root folder of linked files.
#include "organizer/startup.h"

#include <gtest/gtest.h>

using namespace velquin;

TEST(Startup, LibraryRootIsThePathWithoutTheFileNamesExtension) {
    EXPECT_EQ(library_root("C:\\HOME\\myOFFICE.VL1   "), "C:\\HOME\\myOFFICE");
    EXPECT_EQ(library_root("C:\\Users\\kim.js\\Docs\\a.VL1"), "C:\\Users\\kim.js\\Docs\\a") << "dots in folders stay";
    EXPECT_EQ(library_root("D:\\my.old.VL1"), "D:\\my.old") << "the last dot of the file name";
    EXPECT_EQ(library_root("C:\\v1.2\\LIBRARY"), "C:\\v1.2\\LIBRARY") << "no dot in the file name: the whole path";
    EXPECT_EQ(library_root("my.VL1"), "my");
    // A trail byte 0x5C is no separator: the dot before it is in the file name.
    EXPECT_EQ(library_root("C:\\a.b\x95\x5C.VL1"), "C:\\a.b\x95\x5C");
    EXPECT_EQ(library_root(""), "");
}

TEST(Startup, DefaultLibraryIsInTheStartFolder) {
    EXPECT_EQ(default_library("C:\\VELQUI~1   "), "C:\\VELQUI~1\\myOFFICE.VL1");
}
