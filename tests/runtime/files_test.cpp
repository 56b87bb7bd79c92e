// The guard of a folder tree: which paths its changing file operations accept.
#ifdef _WIN32

#include "runtime/files.h"

#include <gtest/gtest.h>

#include "runtime/text.h"

#include <windows.h>

namespace {

TEST(FolderTree, HoldsOnlyPlainNamesBelowItsRoot) {
    const rt::FolderTree tree("C:\\lib\\myOFFICE");
    const struct {
        const char* path;
        bool held;
    } cases[] = {
        {"C:\\lib\\myOFFICE\\a.txt", true},
        {"C:\\lib\\myOFFICE\\cat\\a.txt", true},
        {"c:\\LIB\\myoffice\\Cat\\a.txt  ", true}, // folder names ignore case; a field's trailing blanks are not spelt
        {"C:\\lib\\myOFFICE", false},              // the root itself
        {"C:\\lib\\myOFFICE\\", false},
        {"C:\\lib\\myOFFICE2\\a.txt", false}, // another folder that starts with the root's name
        {"C:\\lib\\myOFFICE\\..\\vA.txt", false},
        {"C:\\lib\\myOFFICE\\cat\\..\\..\\vA.txt", false},
        {"C:\\lib\\myOFFICE\\cat\\..\\a.txt", false}, // below the root once made whole, but not spelt plainly
        {"C:\\lib\\myOFFICE\\.\\a.txt", false},
        {"C:\\lib\\myOFFICE\\a.", false},
        {"C:\\lib\\myOFFICE\\a \\b", false},
        {"C:\\lib\\myOFFICE\\nul.txt", false},
        {"C:\\lib\\myOFFICE\\cat\\COM1", false},
        {"C:\\lib\\myOFFICE\\a:stream", false},
        {"C:\\lib\\myOFFICE/../x", false},
        {"C:\\lib\\myOFFICE\\\\a.txt", false},
        {"\\\\?\\C:\\lib\\myOFFICE\\a.txt", false},
        {"myOFFICE\\a.txt", false},
        {"C:\\elsewhere\\a.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(tree.holds(c.path), c.held) << c.path;
    // A root spelt with its trailing backslash is the same root.
    EXPECT_TRUE(rt::FolderTree("C:\\lib\\myOFFICE\\").holds("C:\\lib\\myOFFICE\\a.txt"));
}

TEST(FolderTree, RefusesBeforeTheSystemSeesThePath) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::string base = rt::narrow(temp) + "folder-tree-" + std::to_string(GetCurrentProcessId());
    const std::string root = base + "\\root", outside = base + "\\outside.txt";
    // What a run stopped half-way left (Wine reuses process ids).
    for (const char* f : {"\\root\\cat\\Kept.txt", "\\root\\cat\\moved.txt", "\\root\\cat\\in.txt", "\\outside.txt"})
        DeleteFileW(rt::wide(base + f).c_str());
    for (const char* f : {"\\root\\cat", "\\root", ""}) RemoveDirectoryW(rt::wide(base + f).c_str());
    ASSERT_TRUE(rt::make_folder(base).ok()) << base;
    ASSERT_TRUE(rt::make_folder(root).ok());
    HANDLE h = CreateFileW(rt::wide(outside).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    const rt::FolderTree tree(root);
    const std::string escape = root + "\\..\\outside.txt";
    EXPECT_EQ(tree.remove_file(escape).code, static_cast<unsigned long>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(tree.move(escape, root + "\\in.txt").code, static_cast<unsigned long>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(tree.copy_file(outside, escape).code, static_cast<unsigned long>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(tree.remove_folder(root + "\\..", nullptr).code, static_cast<unsigned long>(ERROR_BAD_PATHNAME));
    EXPECT_TRUE(rt::path_exists(outside));
    // Inside the tree the operations are the system's; a folder's files that are claimed stay with it.
    const std::string cat = root + "\\cat";
    EXPECT_TRUE(tree.make_folder(cat).ok());
    EXPECT_TRUE(tree.copy_file(outside, cat + "\\in.txt").ok());
    EXPECT_TRUE(tree.copy_file(outside, cat + "\\Kept.txt").ok());
    EXPECT_TRUE(tree.move(cat + "\\in.txt", cat + "\\moved.txt").ok());
    EXPECT_TRUE(tree.remove_folder(cat, [](std::string_view name) { return name == "Kept.txt"; }).ok());
    EXPECT_FALSE(rt::path_exists(cat + "\\moved.txt"));
    EXPECT_TRUE(rt::path_exists(cat + "\\Kept.txt"));
    EXPECT_TRUE(tree.remove_folder(cat, nullptr).ok());
    EXPECT_FALSE(rt::path_exists(cat));
    EXPECT_TRUE(RemoveDirectoryW(rt::wide(root).c_str()));
    EXPECT_TRUE(rt::remove_file(outside).ok());
    EXPECT_TRUE(RemoveDirectoryW(rt::wide(base).c_str()));
}

} // namespace

#endif
