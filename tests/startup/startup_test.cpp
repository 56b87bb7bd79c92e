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

TEST(Startup, LibraryFolderIsThePathUpToItsLastSeparator) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\HOME\\my.VL1  ", "C:\\HOME"},
        {"C:\\my.VL1", "C:\\"},
        {"\\my.VL1", "\\"},
        {"\\\\server\\share\\my.VL1", "\\\\server\\share"},
        {"sub/my.VL1", "sub"},
        {"my.VL1", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(library_folder(c.path), c.folder) << c.path;
}

TEST(Startup, AStoredLibraryThatCannotBeReachedGivesWayToTheDefault) {
    using Why = StartLibrary::Why;
    const auto only_home = [](std::string_view folder) { return folder == "C:\\HOME"; };
    const std::string fallback = "C:\\HOME\\myOFFICE.VL1", long_one = "C:\\HOME\\" + std::string(93, 'x') + ".VL1";
    const struct {
        std::string stored;
        std::string path;
        Why why;
    } cases[] = {
        {"C:\\HOME\\other.VL1", "C:\\HOME\\other.VL1", Why::none},
        {"other.VL1 ", "other.VL1", Why::none}, // in the current folder
        {"", fallback, Why::none},              // nothing stored: no message
        {"   ", fallback, Why::none},
        {"D:\\GONE\\my.VL1", fallback, Why::folder_missing},
        {long_one.substr(0, 100), long_one.substr(0, 100), Why::none}, // a path of exactly 100 bytes fits...
        {long_one.substr(0, 101), fallback, Why::too_long},            // ... one byte more does not
    };
    for (const auto& c : cases) {
        const StartLibrary got = start_library(c.stored, "C:\\HOME ", 100, only_home);
        EXPECT_EQ(got.path, c.path) << c.stored;
        EXPECT_EQ(got.why, c.why) << c.stored;
    }
}
