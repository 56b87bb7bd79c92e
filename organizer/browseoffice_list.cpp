// The main window's document list: filling it for a view and a search text, its rows, its column layouts,
// the columns handed to printing, the header sort and the column swap.
#ifdef _WIN32

#include "organizer/browseoffice.h"

#include "organizer/doclist.h"
#include "organizer/office.h"
#include "runtime/listbox.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <algorithm>
#include <climits>
#include <string>

namespace velquin {

namespace {

// Q2TYPE's field SIZE, by number.
constexpr int SIZE_FIELD = 6;

// The row order of the edit-date and category views: newest first.
const auto newest_first = rt::order(rt::desc(&Q2TYPE::DATE), rt::desc(&Q2TYPE::TIME));

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

void BROWSEOFFICE::FILLQUE2() {
    Q2.free();
    const std::string search = LOC.SEARCH.clip();
    auto take = [&] {
        if (!search.empty() && !contains_text(OFC.SUBJ.view(), search) && !contains_text(OFC.INDEX.view(), search) &&
            !contains_text(OFC.AFILE[0].view(), search))
            return;
        ASSIGNTOQUE();
        Q2.add();
    };
    const std::int16_t view = TREE.TREENO;
    rt::Status scan;
    if (view == DATE_VIEW || view == INDEX_VIEW) {
        // Every document of the key but those in the trash: room for them all first.
        Q2.reserve(static_cast<std::size_t>(std::max(0, OFFICE.records())));
        scan = OFFICE.set(view == DATE_VIEW ? OFC_RECORD::DATE_KEY : OFC_RECORD::INDEX_KEY);
        if (scan)
            for (scan = OFFICE.next(); scan; scan = OFFICE.next())
                if (OFC.NODE < TRASH) take();
    } else {
        // The documents of one category (or of the trash), from its first one.
        OFFICE.clear();
        OFC.NODE = view;
        OFC.DATE = INT32_MAX;
        scan = OFFICE.set_from(OFC_RECORD::NODE_KEY);
        if (scan)
            for (scan = OFFICE.next(); scan && OFC.NODE == view; scan = OFFICE.next())
                take();
    }
    // A scan stopped by an error shows the rows read so far, and says so.
    const std::string stopped_by = scan || scan.end() ? std::string() : rt::error_text();
    list_->refresh();
    select_list_row(1);
    if (!stopped_by.empty()) rt::stop(stopped_by);
}

void BROWSEOFFICE::ASSIGNTOQUE() {
    static_cast<Q2TYPE&>(Q2) = Q2TYPE{};
    Q2.INDEX = OFC.INDEX.view();
    Q2.DATE = OFC.DATE;
    Q2.TIME = OFC.TIME;
    Q2.SUBJ = OFC.SUBJ;
    Q2.EXT = OFC.EXT.view();
    if (OFC.NODE != 0) {
        // In the trash view a document's former category is in OFC:SORT.
        const std::int16_t category = TREE.TREENO == TRASH ? OFC.SORT : OFC.NODE;
        for (std::size_t n = 1; n <= GNODE.records(); ++n) {
            const GNODE_ROW& g = GNODE.row(n);
            if (g.NODE != category) continue;
            static const std::string none = rt::to_cp949(u"분류없음");
            if (!(g.NODENAME == none)) Q2.CATEGORY = g.NODENAME;
            break;
        }
    }
    Q2.ICONTYPE = icon_type(Q2.EXT.view());
    Q2.SIZE = size_text(OFC.SIZE);
    Q2.POINTER = OFFICE.position();
    if (!OFC.AFILE[0].blank()) {
        Q2.LINK = "O";
        Q2.AFILE = OFC.AFILE[0].view();
    }
}

void BROWSEOFFICE::FORMATLIST() {
    list_->set_format(list_layout(TREE.TREENO, WIDTHDFF));
}

void BROWSEOFFICE::MAKE_FQ() {
    FQ.free();
    for (int i = 1; i <= 50 && list_->has_column(i); ++i) {
        static_cast<LISTFORMAT&>(FQ) = LISTFORMAT{};
        FQ.NO = static_cast<std::uint8_t>(list_->field(i));
        FQ.NAME = list_->header(i);
        FQ.WIDTH = std::min(list_->width(i), 100);
        FQ.FORMAT = "@" + list_->picture(i);
        FQ.add();
    }
}

bool BROWSEOFFICE::GETRECORD() {
    Q2.get(static_cast<std::size_t>(std::max(0, list_->selection(*window_, static_cast<int>(Ctl::LIST2)))));
    if (rt::error_code() != 0) {
        rt::stop(rt::error_text());
        return false;
    }
    if (!OFFICE.get_at(Q2.POINTER)) {
        rt::stop(rt::error_text());
        return false;
    }
    return true;
}

void BROWSEOFFICE::select_list_row(std::size_t row) {
    list_->select(*window_, static_cast<int>(Ctl::LIST2), static_cast<int>(row));
}

bool BROWSEOFFICE::has_selected_row() {
    const int row = list_->selection(*window_, static_cast<int>(Ctl::LIST2));
    return row > 0 && static_cast<std::size_t>(row) <= Q2.records();
}

void BROWSEOFFICE::remove_list_row() {
    const std::size_t row = Q2.pointer();
    Q2.del();
    list_->refresh();
    select_list_row(std::min(row, Q2.records())); // none when the list is empty
}

void BROWSEOFFICE::add_row_by_date() {
    Q2.add(newest_first);
    list_->refresh();
    select_list_row(Q2.pointer());
}

// A click on a header: ascending by that column, then descending, then the default order (newest first).
void BROWSEOFFICE::header_sort() {
    const std::string up = rt::to_cp949(u"△"), down = rt::to_cp949(u"▽");
    const int clicked = list_->press_column();
    if (!list_->has_column(clicked)) return;
    for (int i = 1; i <= 255 && list_->has_column(i); ++i) {
        if (i == clicked) continue;
        const std::string h = rt::clip(list_->header(i));
        if (ends_with(h, up) || ends_with(h, down)) list_->set_header(i, h.substr(0, h.size() - 2));
    }
    SAV_FORMAT = rt::clip(list_->header(clicked));
    const std::string h = SAV_FORMAT.clip();
    const int field = list_->field(clicked);
    const bool known = field >= 1 && field <= static_cast<int>(std::size(Q2TYPE_FIELDS));
    // By the field itself, so that dates and numbers compare as numbers; the size text by the size it shows.
    auto by_column = [&](bool descending) {
        if (field == SIZE_FIELD)
            Q2.sort([descending](const Q2TYPE& a, const Q2TYPE& b) {
                const std::int64_t x = size_of_text(a.SIZE.view()), y = size_of_text(b.SIZE.view());
                return descending ? y < x : x < y;
            });
        else
            Q2.sort(rt::order(rt::by_field<Q2TYPE>(Q2TYPE_FIELDS[field - 1], descending)));
    };
    if (ends_with(h, up)) {
        list_->set_header(clicked, h.substr(0, h.size() - 2) + down);
        if (known) by_column(true);
    } else if (ends_with(h, down)) {
        list_->set_header(clicked, h.substr(0, h.size() - 2));
        Q2.sort(newest_first);
    } else {
        list_->set_header(clicked, h + up);
        if (known) by_column(false);
    }
    list_->refresh();
}

// A drag from one column to another: the two exchange the data they show; headers and widths stay in place.
void BROWSEOFFICE::column_swap() {
    const int d = list_->press_column(), u = list_->release_column();
    if (d == u || !list_->has_column(d) || !list_->has_column(u)) return;
    SAV_FORMAT = list_->picture(d);
    SAV_FIELDNO = static_cast<std::uint8_t>(list_->field(d));
    list_->set_picture(d, list_->picture(u));
    list_->set_field(d, list_->field(u));
    list_->set_picture(u, SAV_FORMAT.clip());
    list_->set_field(u, SAV_FIELDNO);
    list_->refresh();
}

} // namespace velquin

#endif
