// The settings window SETTING: the editor's default font and size and the three Office ProgIDs, loaded from
// the settings file when it opens (GETINIFILE) and written there with DefaultDB on OK. Cancel and the close box
// write nothing and give the settings back the values they had before the window opened.
#pragma once

#ifdef _WIN32

namespace velquin {

namespace settingform {
enum class Ctl : int {
    SHEET1 = 1,
    TAB1,
    FONT_PROMPT,
    OINI_FONT,
    SIZE_PROMPT,
    OINI_FONTSIZE,
    DOC_PROMPT,
    OINI_DOCID,
    XLS_PROMPT,
    OINI_XLSID,
    PPT_PROMPT,
    OINI_PPTID,
    GROUP1,
    BTNDOC,
    BTNXLS,
    BTNPPT,
    OK,
    CANCEL,
    VERSION,
};
}

void SETTING();

} // namespace velquin

#endif
