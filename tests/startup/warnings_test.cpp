// The numbered standard messages: what each one shows and what happens after the answer.
#include "organizer/warnings.h"

#include "runtime/text.h"
#include "tests/utf8.h"

#include <gtest/gtest.h>

using namespace velquin;

namespace {

using testutil::utf8;

const std::string kFile = rt::to_cp949(u"C:\\문서\\myOFFICE.VL1   ");

} // namespace

TEST(Warnings, ErrorTextQuotesTheDriverOwnCodeForDriverErrors) {
    EXPECT_EQ(warning_error_text(2, "File Not Found  ", "", ""), "File Not Found (2)");
    EXPECT_EQ(warning_error_text(90, "File System Error", "11  ", "database disk image is malformed  "),
              "database disk image is malformed (11)");
    EXPECT_EQ(warning_error_text(100, "x", "7", "out of memory"), "out of memory (7)");
}

TEST(Warnings, ErrorTextIsCutTo150BytesWithoutSplittingACharacter) {
    std::string korean;
    for (int i = 0; i < 100; ++i) korean += rt::to_cp949(u"가");
    std::string out = warning_error_text(5, "a" + korean, "", "");
    EXPECT_EQ(out.size(), 149u) << "one ASCII byte and 74 syllables fit; half of the 75th does not";
    EXPECT_EQ(rt::cut_point(out, out.size()), out.size());
}

TEST(Warnings, OpenFailuresEndTheProgramWithTheirStopTexts) {
    struct Case {
        long number;
        const char16_t* caption;
        const char16_t* stop;
    } cases[] = {
        {1, u"Invalid File", u"잘못된 데이터 파일입니다.!"},
        {3, u"Error Rebuilding Key", u"키 재정렬 실패!"},
        {4, u"File Creation Error", u"데이터 파일생성 실패!"},
        {5, u"File Creation Error", u" 데이터 파일을 생성하였지만 오픈에 실패했습니다.!"},
        {22, u"File Creation Not Allowed", u"File Creation Error!"},
    };
    for (const Case& c : cases) {
        WarningMessage m = build_warning(c.number, kFile, "", "Bad (47)", 47);
        ASSERT_TRUE(m.shown) << c.number;
        EXPECT_EQ(utf8(m.caption), utf8(c.caption)) << c.number;
        EXPECT_EQ(utf8(m.stop_text), utf8(c.stop)) << c.number;
        EXPECT_EQ(m.ends_on, 0) << c.number;
        EXPECT_EQ(m.buttons, BUTTON_OK) << c.number;
        EXPECT_EQ(m.icon, WarningIcon::Information) << c.number;
    }
}

TEST(Warnings, TextsJoinTheClippedPartsExactly) {
    WarningMessage m1 = build_warning(1, kFile, "", "Invalid Record Declaration (47)  ", 47);
    EXPECT_EQ(utf8(m1.text),
              utf8(u"데이터파일 오류: Invalid Record Declaration (47)C:\\문서\\myOFFICE.VL1  OK를 누르면 프로그램을 "
                   u"종료합니다."));
    WarningMessage m4 = build_warning(4, kFile, "", "Access Denied (5)", 5);
    EXPECT_EQ(utf8(m4.text), utf8(u"파일생성 에러: (Access Denied (5)) C:\\문서\\myOFFICE.VL1.  OK를 누르면 "
                                  u"프로그램을 종료합니다."));
    WarningMessage m30 = build_warning(30, kFile, "", "Disk (90)", 90);
    EXPECT_EQ(utf8(m30.caption), "File Access Error");
    EXPECT_TRUE(m30.stop_text.empty()) << "30 returns; the caller stops with \"Disk Error\"";
    EXPECT_EQ(utf8(m30.text), utf8(u"C:\\문서\\myOFFICE.VL1 파일을 오픈할 수 없습니다. 에러 : Disk (90)."));
}

TEST(Warnings, DamagedKeysAskAndEndOnlyOnNo) {
    WarningMessage m = build_warning(2, kFile, "", "", 46);
    EXPECT_EQ(utf8(m.caption), "Invalid Key");
    EXPECT_EQ(m.icon, WarningIcon::Exclamation);
    EXPECT_EQ(m.buttons, BUTTON_YES + BUTTON_NO);
    EXPECT_EQ(m.default_button, BUTTON_YES);
    EXPECT_EQ(m.ends_on, BUTTON_NO);
    EXPECT_TRUE(m.returns_two);
    EXPECT_EQ(utf8(m.stop_text), utf8(u"정렬키(Key)에 문제가 있습니다.!"));
    EXPECT_EQ(utf8(m.text), utf8(u"C:\\문서\\myOFFICE.VL1 정렬키에 문제가 있습니다. 자동 수정을 시도할까요?"));
}

TEST(Warnings, EndOrBeginningOfFileByText) {
    WarningMessage down = build_warning(29, "Down   ", "", "", 0);
    EXPECT_EQ(utf8(down.caption), "End of File Error");
    EXPECT_EQ(utf8(down.text), utf8(u"파일의 끝까지 왔습니다.  처음부터 다시 시작할까요?"));
    for (const char* other : {"Up", "down", "", "Downward"}) {
        WarningMessage m = build_warning(29, other, "", "", 0);
        EXPECT_EQ(utf8(m.caption), "Beginning of File Error") << other;
        EXPECT_EQ(utf8(m.text), utf8(u"파일의 처음에 왔습니다.  파일 끝부터 다시 시작할까요")) << other;
        EXPECT_EQ(m.default_button, BUTTON_YES);
    }
}

TEST(Warnings, NumbersWithoutAMessageShowNothing) {
    for (long n : {0L, 39L, -1L, 1000L}) EXPECT_FALSE(build_warning(n, "x", "y", "", 0).shown) << n;
    for (long n = 1; n <= 38; ++n) EXPECT_TRUE(build_warning(n, "x", "y", "", 0).shown) << n;
}

TEST(Warnings, ChoicesOfTheOtherNumbers) {
    EXPECT_EQ(build_warning(7, "", "", "", 0).caption, u"") << "the platform's default caption";
    EXPECT_EQ(build_warning(16, "", "", "", 0).default_button, BUTTON_CANCEL);
    EXPECT_EQ(build_warning(16, "", "", "", 0).buttons, BUTTON_YES + BUTTON_NO + BUTTON_CANCEL);
    EXPECT_EQ(build_warning(23, "", "", "", 0).default_button, BUTTON_NO);
    EXPECT_EQ(build_warning(25, "", "", "", 0).buttons, BUTTON_RETRY + BUTTON_CANCEL);
    EXPECT_EQ(build_warning(33, "", "", "", 0).default_button, BUTTON_NO);
    EXPECT_EQ(utf8(build_warning(15, "t", "", "e", 89).text), utf8(u"네트워크 상의 다른 사용자에 의해 자료가 변경되었습니다."));
    EXPECT_EQ(utf8(build_warning(15, "t", "", "e (5)", 5).text),
              utf8(u"자료를 갱신하면서 e (5) 에러가 발생했습니다.t 때문일 가능성이 있습니다."));
    EXPECT_EQ(utf8(build_warning(31, "Put", "F", "E", 5).caption), "Process PUT Error");
    EXPECT_EQ(utf8(build_warning(31, "Del", "F", "E", 5).caption), "Process DELETE Error");
    EXPECT_EQ(utf8(build_warning(34, "AbC", "F", "E", 5).text),
              utf8(u"트랜젝션 프레임 에러 : EF 에 대한 트랜젝션 abcAbC 트랜젝션이 취소되었습니다."));
}
