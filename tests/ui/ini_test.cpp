// INI files: relative to the current folder, CP949 values and names back byte for byte, keys removed, numbers.
#include "support.h"

#include "runtime/ini.h"

using namespace uitest;

namespace {

TEST(UiIni, KoreanValuesComeBackByteForByteInAKoreanFolder) {
    TempFolder folder(L"벨퀸 설정");
    CurrentFolder here(folder.path());
    const std::string font = K(u"맑은 고딕"), db = K(u"C:\\문서 보관\\내 서재.VL1");
    ASSERT_TRUE(rt::put_ini("Velquin", "Font", font, ".\\Velquin.INI"));
    ASSERT_TRUE(rt::put_ini("Velquin", "DefaultDB", db, ".\\Velquin.INI"));
    EXPECT_EQ(rt::get_ini("Velquin", "Font", "", ".\\Velquin.INI"), font)
        << u8(rt::get_ini("Velquin", "Font", "", ".\\Velquin.INI"));
    EXPECT_EQ(rt::get_ini("Velquin", "DefaultDB", "", ".\\Velquin.INI"), db);

    // The file is the one in the current folder, written in UTF-16.
    const std::string bytes = read_bytes(folder.file(L"Velquin.INI"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    // A Korean file name and Korean section and key names work alike; a bare name is in the current folder too.
    ASSERT_TRUE(rt::put_ini(K(u"창 위치"), K(u"가로"), K(u"한글 값"), K(u"설정.INI")));
    EXPECT_EQ(rt::get_ini(K(u"창 위치"), K(u"가로"), "", K(u"설정.INI")), K(u"한글 값"));
    EXPECT_NE(GetFileAttributesW(folder.file(L"설정.INI").c_str()), INVALID_FILE_ATTRIBUTES);

    // Another current folder holds another file.
    {
        TempFolder other(L"velquin-ini-other");
        CurrentFolder there(other.path());
        EXPECT_EQ(rt::get_ini("Velquin", "Font", "none", ".\\Velquin.INI"), "none");
    }
    EXPECT_EQ(rt::get_ini("Velquin", "Font", "none", ".\\Velquin.INI"), font);
}

TEST(UiIni, MissingKeysDefaultsRemovalAndNumbers) {
    TempFolder folder(L"velquin-ini-keys");
    CurrentFolder here(folder.path());
    const char* file = ".\\Velquin.INI";
    EXPECT_EQ(rt::get_ini("MainWindow", "Maximize", "", file), "") << "no file";
    EXPECT_EQ(rt::get_ini_number("MainWindow", "XPos", -2147483647L - 1, file), -2147483647L - 1);
    EXPECT_TRUE(rt::remove_ini("MainWindow", "XPos", file)) << "removing from no file is no failure";

    ASSERT_TRUE(rt::put_ini("MainWindow", "Maximize", "No", file));
    ASSERT_TRUE(rt::put_ini("MainWindow", "XPos", "120", file));
    ASSERT_TRUE(rt::put_ini("MainWindow", "YPos", "-2147483648", file));
    ASSERT_TRUE(rt::put_ini("MainWindow", "Width", "abc", file));
    EXPECT_EQ(rt::get_ini("MainWindow", "Maximize", "", file), "No");
    EXPECT_EQ(rt::get_ini("MainWindow", "Minimize", "0", file), "0") << "a missing key gives the default";
    EXPECT_EQ(rt::get_ini_number("MainWindow", "XPos", 0, file), 120);
    EXPECT_EQ(rt::get_ini_number("MainWindow", "YPos", 0, file), -2147483647L - 1);
    EXPECT_EQ(rt::get_ini_number("MainWindow", "Width", 7, file), 0) << "a value that is no number";
    EXPECT_EQ(rt::get_ini_number("MainWindow", "Height", 7, file), 7);
    // An empty value is a value, not a missing key.
    ASSERT_TRUE(rt::put_ini("MainWindow", "Height", "", file));
    EXPECT_EQ(rt::get_ini("MainWindow", "Height", "x", file), "");

    ASSERT_TRUE(rt::remove_ini("MainWindow", "XPos", file));
    EXPECT_EQ(rt::get_ini("MainWindow", "XPos", "gone", file), "gone");
    EXPECT_EQ(rt::get_ini("MainWindow", "Maximize", "", file), "No") << "the other keys stay";

    // Long values come back whole.
    const std::string long_value(3000, 'a');
    ASSERT_TRUE(rt::put_ini("Velquin", "Long", long_value, file));
    EXPECT_EQ(rt::get_ini("Velquin", "Long", "", file), long_value);
}

// A write that cannot be made answers the system's code, for the caller to tell the user, and changes nothing.
TEST(UiIni, AWriteThatFailsAnswersTheSystemsCode) {
    TempFolder folder(L"velquin-ini-held");
    CurrentFolder here(folder.path());
    const char* file = ".\\Velquin.INI";
    ASSERT_TRUE(rt::put_ini("Velquin", "Font", "before", file));
    // Another program holds the file with no sharing.
    HANDLE held = CreateFileW(folder.file(L"Velquin.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const rt::FileResult put = rt::put_ini("Velquin", "Font", "after", file);
    const rt::FileResult removed = rt::remove_ini("Velquin", "Font", file);
    CloseHandle(held);
    const rt::FileResult no_folder = rt::put_ini("Velquin", "Font", "x", ".\\gone\\Velquin.INI");
    EXPECT_EQ(put.code, static_cast<unsigned long>(ERROR_SHARING_VIOLATION)) << put.text();
    EXPECT_FALSE(put.text().empty());
    EXPECT_EQ(removed.code, static_cast<unsigned long>(ERROR_SHARING_VIOLATION)) << removed.text();
    EXPECT_TRUE(no_folder.missing()) << no_folder.code;
    EXPECT_EQ(rt::get_ini("Velquin", "Font", "", file), "before");
}

TEST(UiIni, AnExistingCp949FileIsReadAndKeepsItsEncoding) {
    TempFolder folder(L"velquin-ini-ansi");
    CurrentFolder here(folder.path());
    // As another program (or an older settings file) wrote it: CP949 bytes, no byte-order mark. Read under the
    // system code page, which is 949 here as on Korean Windows.
    write_bytes(folder.file(L"Velquin.INI"), "[Velquin]\r\nFont=" + K(u"굴림체") + "\r\n");
    EXPECT_EQ(rt::get_ini("Velquin", "Font", "", ".\\Velquin.INI"), K(u"굴림체"));
    ASSERT_TRUE(rt::put_ini("Velquin", "DefaultDB", K(u"D:\\옛.자료\\my.VL1"), ".\\Velquin.INI"));
    EXPECT_EQ(rt::get_ini("Velquin", "DefaultDB", "", ".\\Velquin.INI"), K(u"D:\\옛.자료\\my.VL1"));
    const std::string bytes = read_bytes(folder.file(L"Velquin.INI"));
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(K(u"D:\\옛.자료\\my.VL1")), std::string::npos) << bytes;
}

} // namespace
