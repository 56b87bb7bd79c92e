#include "organizer/linkfiles.h"

#include "organizer/globals.h"
#include "organizer/names.h"
#include "organizer/office.h"

namespace velquin {

namespace {

std::string key(std::string_view folder, std::string_view name) {
    return rt::upper(rt::clip(folder) + "\\" + rt::clip(name));
}

} // namespace

std::optional<std::string> link_folder(std::int16_t category) {
    const std::string root = GLO.DBPATH.clip();
    if (category < 1) return root;
    for (std::size_t n = 1; n <= GNODE.records(); ++n) {
        const GNODE_ROW& g = GNODE.row(n);
        if (g.NODE != category) continue;
        if (bad_path_name(g.NODENAME.view())) return std::nullopt;
        return root + "\\" + g.NODENAME.clip();
    }
    return std::nullopt;
}

std::optional<std::string> document_folder(std::int16_t node, std::int16_t sort) {
    return link_folder(node == TRASH_NODE ? sort : node);
}

LinkIndex::LinkIndex() {
    const OFC_RECORD record = OFC;
    const std::int32_t at = OFFICE.position();
    // The category key holds every document whose category or date is set: every document this program writes.
    rt::Status scan = OFFICE.set(OFC_RECORD::NODE_KEY);
    if (scan) scan = OFFICE.next();
    for (; scan; scan = OFFICE.next()) {
        if (OFC.TREE != 0) continue;
        const std::optional<std::string> folder = document_folder(OFC.NODE, OFC.SORT);
        if (!folder) continue;
        for (const auto& f : OFC.AFILE)
            if (!f.blank()) links_.emplace(key(*folder, f.view()), OFFICE.position());
    }
    complete_ = scan.end();
    if (at != 0) (void)OFFICE.get_at(at);
    OFC = record;
}

bool LinkIndex::linked(std::string_view folder, std::string_view name, std::int32_t except) const {
    if (!complete_) return true;
    const auto [first, last] = links_.equal_range(key(folder, name));
    for (auto i = first; i != last; ++i)
        if (i->second != except) return true;
    return false;
}

} // namespace velquin
