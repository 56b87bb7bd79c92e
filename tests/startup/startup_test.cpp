// Paths derived at start: the default library and the root folder of linked files.
#include "organizer/startup.h"

#include <gtest/gtest.h>

using namespace velquin;

TEST(Startup, LibraryRootIsCutAtTheFirstDot) {
    EXPECT_EQ(library_root("C:\\HOME\\myOFFICE.VL1   "), "C:\\HOME\\myOFFICE");
    EXPECT_EQ(library_root("D:\\old.files\\my.VL1"), "D:\\old") << "the first dot, even in a folder name";
    EXPECT_EQ(library_root("C:\\HOME\\LIBRARY"), "C:\\HOME\\LIBRARY") << "no dot: the whole path";
    EXPECT_EQ(library_root(""), "");
}

TEST(Startup, DefaultLibraryIsInTheStartFolder) {
    EXPECT_EQ(default_library("C:\\VELQUI~1   "), "C:\\VELQUI~1\\myOFFICE.VL1");
}
