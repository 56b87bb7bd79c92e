// LISTPRINT: the document list printed as a report, through the progress window and the print preview.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "runtime/report.h"
#include "runtime/window.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace velquin {

// The report layout's controls, numbered in layout order.
enum class Rpt : int {
    HEADER = 1,
    LOC_TITLE,
    IMAGE1,
    STRING1,
    PERIOD,
    REPORTDATEPROMPT,
    REPORTDATESTAMP,
    REPORTPAGENUMBER,
    REPORTTIMESTAMP,
    LINE2,
    TITLEBOX,
    PRT_TITLE_1, // ... PRT_TITLE_10 = 21
    DETAIL = 22,
    CINQLINE,
    PRT_VALUE_1, // ... PRT_VALUE_10 = 33
    DETAIL1 = 34,
    BOX3,
    PRT_TOTAL_1, // ... PRT_TOTAL_10 = 45
    FOOTER = 46,
};
// The progress window's controls.
enum class PrgCtl : int { PRG_THERMOMETER = 1, PRG_USERSTRING, PRG_PCTTEXT, PRG_CANCEL };

// Prints the rows of Q2 with the columns of FQ under the title; shows the preview and prints on its answer.
void LISTPRINT(const std::string& title, rt::Queue<LISTFORMAT>& FQ, rt::Queue<Q2TYPE>& Q2);

class LISTPRINT_PROC {
public:
    LISTPRINT_PROC(rt::Queue<LISTFORMAT>& fq, rt::Queue<Q2TYPE>& q2) : FQ(fq), Q2(q2) {}
    void run(const std::string& title);

    rt::ReportLayout layout(); // P1$REPORT, bound to this procedure's variables
    static rt::WindowDesc progress_description();

private:
    void SETUPREPORT();
    void LANDSCAPE();
    bool PROGRESSWINDOW(); // false when ENDOUT ended the procedure
    void PRINTQUE();
    void ENDOUT();
    // The printed columns of FQ in order (width 10 or more, at most ten): calls visit(n) with FQ's buffer on
    // the row of the n-th one.
    template <class Visit> void walk_columns(Visit visit);

    rt::Queue<LISTFORMAT>& FQ;
    rt::Queue<Q2TYPE>& Q2;
    std::string TITLE_ARG;
    struct {
        rt::Fixed<50> TITLE;
    } LOC;
    std::int32_t REPORTDATESTAMP = 0;
    std::int32_t REPORTTIMESTAMP = 0;
    struct PRT_RECORD {
        std::array<rt::Fixed<30>, 10> TITLE;
        std::array<rt::Fixed<30>, 10> VALUE;
        std::array<double, 10> TOTNO{};
        std::array<rt::Fixed<30>, 10> TOTAL;
    };
    std::unique_ptr<PRT_RECORD> PRT;
    rt::PageImageQueue WMFQUE;
    struct {
        std::int32_t PERCENT = 0;
        std::int32_t THERMOMETER = 0;
        std::int32_t RECORDSPERCYCLE = 0;
    } PRG;
    std::int32_t ROWCOUNTER = 0;
    std::int32_t COLUMNCOUNTER = 0;
    std::int32_t WIDTHSUM = 0;
    std::int32_t PREVX = 0, PREVWIDTH = 0;
    std::unique_ptr<rt::Report> report_;
    std::unique_ptr<rt::Window> progress_;
};

} // namespace velquin

#endif
