#include "organizer/warnings.h"

#include "runtime/keyfile.h"
#include "runtime/text.h"

namespace velquin {

namespace {

std::u16string clipped(std::string_view cp949) {
    return rt::from_cp949(rt::clip(cp949));
}

std::u16string lower_ascii(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

WarningMessage box(std::u16string caption, WarningIcon icon, int buttons, int default_button, std::u16string text) {
    WarningMessage m;
    m.shown = true;
    m.caption = std::move(caption);
    m.icon = icon;
    m.buttons = buttons;
    m.default_button = default_button;
    m.text = std::move(text);
    return m;
}

WarningMessage info(std::u16string caption, std::u16string text) {
    return box(std::move(caption), WarningIcon::Information, BUTTON_OK, BUTTON_OK, std::move(text));
}

WarningMessage ending(WarningMessage m, std::u16string stop_text) {
    m.stop_text = std::move(stop_text);
    return m;
}

} // namespace

std::string warning_error_text(long code, std::string_view text, std::string_view driver_code,
                               std::string_view driver_text) {
    std::string out;
    if (code == rt::ERR_DRIVER || code == rt::ERR_DRIVER_OWN)
        out = rt::clip(driver_text) + " (" + rt::clip(driver_code) + ")";
    else
        out = rt::clip(text) + " (" + std::to_string(code) + ")";
    out.resize(rt::cut_point(out, 150));
    return out;
}

WarningMessage build_warning(long number, std::string_view text1_cp949, std::string_view text2_cp949,
                             std::string_view error_text, long current_error) {
    const std::u16string t1 = clipped(text1_cp949);
    const std::u16string t2 = clipped(text2_cp949);
    const std::u16string err = clipped(error_text);
    const auto Excl = WarningIcon::Exclamation;

    switch (number) {
    case 1:
        return ending(info(u"Invalid File", u"데이터파일 오류: " + err + t1 + u"  OK를 누르면 프로그램을 종료합니다."),
                      u"잘못된 데이터 파일입니다.!");
    case 2: {
        WarningMessage m = box(u"Invalid Key", Excl, BUTTON_YES + BUTTON_NO, BUTTON_YES,
                               t1 + u" 정렬키에 문제가 있습니다. 자동 수정을 시도할까요?");
        m.stop_text = u"정렬키(Key)에 문제가 있습니다.!";
        m.ends_on = BUTTON_NO;
        m.returns_two = true;
        return m;
    }
    case 3:
        return ending(
            info(u"Error Rebuilding Key", u"키 재정렬 에러: " + err + t1 + u".  OK를 누르면 프로그램을 종료합니다."),
            u"키 재정렬 실패!");
    case 4:
        return ending(info(u"File Creation Error",
                           u"파일생성 에러: (" + err + u") " + t1 + u".  OK를 누르면 프로그램을 종료합니다."),
                      u"데이터 파일생성 실패!");
    case 5:
        return ending(info(u"File Creation Error",
                           u"생성파일 오픈 에러: (" + err + u") " + t1 + u".  OK를 누르면 프로그램을 종료합니다."),
                      u" 데이터 파일을 생성하였지만 오픈에 실패했습니다.!");
    case 6:
        return info(u"Procedure not defined", u"프로시저에 내용이 없습니다 : " + t1);
    case 7:
        return info(u"", u"정렬된 데이타 키값을 읽을 수 없음  에러 : " + err + u".  자료추가 작업이 취소되었습니다.");
    case 8:
        return info(u"Range Error", t1 + u" 의 값은" + t2 + u" 보다 작아야 합니다." + u".");
    case 9:
        return info(u"Range Error", t1 + u" 의 값은" + t2 + u" 보다 커야 합니다. ");
    case 10:
        return info(u"Range Error", t1 + u" 의 값은" + t2 + u" 사이에 있어야 합니다. " + u".");
    case 11:
        return info(u"Field Contents Error", t1 + u" 의 값은" + t2 + u" 내용 안에 있어야 합니다. " + u" file.");
    case 12:
        return info(u"Referential Integrity Update Error",
                    u"이 자료는 " + t1 + u" 파일과 연결되어 있습니다. " + u"연결된 필드간 수정이 제한되어 있습니다.");
    case 13:
        return info(u"Referential Integrity Delete Error", u"이 자료는 " + t1 + u" 파일과 연결되어 있습니다. " +
                                                               u"연결된 자료가 있는 상태에서는 삭제를 할 수 없습니다.");
    case 14:
        return info(u"Record Insert Error", u"자료추가 에러 : " + err + u".");
    case 15:
        if (current_error == 0 || current_error == 89)
            return info(u"Update Operation Error", u"네트워크 상의 다른 사용자에 의해 자료가 변경되었습니다.");
        return info(u"Update Operation Error",
                    u"자료를 갱신하면서 " + err + u" 에러가 발생했습니다." + t1 + u" 때문일 가능성이 있습니다.");
    case 16:
        return box(u"Record Update Error", WarningIcon::Information, BUTTON_YES + BUTTON_NO + BUTTON_CANCEL,
                   BUTTON_CANCEL, u"자료를 저장하는데 에러가 발생했습니다. 저장작업을 다시 시도해 보시겠습니까?");
    case 17:
        return info(u"Delete Operation Error",
                    u"자료를 삭제하면서 " + err + u" 에러가 발생했습니다." + u" 파일명 : " + t1 + u".");
    case 18:
        return box(u"Record Update Error", WarningIcon::Information, BUTTON_YES + BUTTON_NO + BUTTON_CANCEL,
                   BUTTON_CANCEL, u"자료를 삭제하는데 에러가 발생했습니다. 삭제작업을 다시 시도해 보시겠습니까?");
    case 19:
        return info(u"Invalid Request", u" 이 프로시저에서는 추가 작업이 허락되지 않았습니다.  OK 버튼을 눌러 이전 "
                                        u"프로시저로 돌아 가십시오 ");
    case 20:
        return info(u"Invalid Request", u"이 프로시저에서는 수정 작업이 허락되지 않았습니다.  OK 버튼을 눌러 이전 "
                                        u"프로시저로 돌아 가십시오 ");
    case 21:
        return info(u"Invalid Request", u"이 프로시저에서는 삭제 작업이 허락되지 않았습니다.  OK 버튼을 눌러 이전 "
                                        u"프로시저로 돌아 가십시오 ");
    case 22:
        return ending(info(u"File Creation Not Allowed", u"파일 : " + t1 + u" 을 찾을 수 없습니다. " +
                                                             u"또한 이 파일은 자동생성 되도록 되어 있지 않습니다. " +
                                                             u"OK 버튼을 눌러 이전 프로시저로 되돌아 가십시오."),
                      u"File Creation Error!");
    case 23:
        return box(u"Update Cancelled", Excl, BUTTON_YES + BUTTON_NO, BUTTON_NO, u"작업 취소가 확실합니까?");
    case 24:
        return info(u"Duplicate Key Error", u"이 자료는 중복된 키값을 가지고 있습니다.  키필드 :" + t1);
    case 25:
        return box(u"Auto Increment Error", WarningIcon::Information, BUTTON_RETRY + BUTTON_CANCEL, BUTTON_CANCEL,
                   u"자동 고유번호값 계산 에러 : " + err + u".");
    case 26:
        return info(u"File Load Error", t1 + u" 파일을 메모리에 부르는데 실패했습니다. 에러 : " + err + u".");
    case 27:
        return box(u"Cancel Request", Excl, BUTTON_OK + BUTTON_CANCEL, BUTTON_CANCEL,
                   t1 + u" 로딩 작업을 중단하는 것이 확실한가요? ");
    case 28:
        return info(u"File Load Error", t1 + u" 파일 로딩 에러 :  " + u"요청한 파일에 내용이 없습니다. ");
    case 29:
        if (t1 == u"Down")
            return box(u"End of File Error", Excl, BUTTON_YES + BUTTON_NO, BUTTON_YES,
                       u"파일의 끝까지 왔습니다.  처음부터 다시 시작할까요?");
        return box(u"Beginning of File Error", Excl, BUTTON_YES + BUTTON_NO, BUTTON_YES,
                   u"파일의 처음에 왔습니다.  파일 끝부터 다시 시작할까요");
    case 30:
        return info(u"File Access Error", t1 + u" 파일을 오픈할 수 없습니다. " + u"에러 : " + err + u".");
    case 31:
        if (t1 == u"Put")
            return info(u"Process PUT Error", t2 + u" 파일을 수정하는데 에러가 발생했습니다." + u" 에러 : " + err);
        return info(u"Process DELETE Error", t2 + u" 파일을 삭제하는데 에러가 발생했습니다." + u" 에러 : " + err);
    case 32:
        return box(u"Confirm Delete", Excl, BUTTON_OK + BUTTON_CANCEL, BUTTON_CANCEL, u"선택한 자료를 삭제할까요? ");
    case 33:
        return box(u"Update Cancelled", Excl, BUTTON_YES + BUTTON_NO + BUTTON_CANCEL, BUTTON_NO,
                   u"이 자료를 저장할까요");
    case 34:
        return info(u"Transaction Framing Error", u"트랜젝션 프레임 에러 : " + err + t2 + u" 에 대한 트랜젝션 " +
                                                      lower_ascii(t1) + t1 + u" 트랜젝션이 취소되었습니다.");
    case 35:
        return info(u"Record Retrieval Error",
                    t1 + u" 파일에서 자료를 오면서 에러발생 : " + err + u"이전 윈도우로 되돌아 갑니다. ");
    case 36:
        return info(u"View Open Error",
                    u"현재 VIEW를 오픈할 수 없습니다.  에러 :" + err + u"Filter 와 Range 값을 무시하였습니다.");
    case 37:
        return box(u"Record Added", Excl, BUTTON_YES + BUTTON_NO, BUTTON_YES,
                   u"이 자료는 이미 추가되었습니다.  또 다른 자료를 추가할까요?");
    case 38:
        return info(u"Record Was Not Updated", u"이 자료는 네트워크상의 다른 사용자에 의해 변경되었습니다.  "
                                               u"디토(Ditto) 버튼을 이용하면 내용을 보여줄 것입니다. ");
    default:
        return WarningMessage{};
    }
}

} // namespace velquin
