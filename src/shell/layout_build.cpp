// A layout description on the form's panel: placing its controls, and running the
// engine's fill and read-back over what the controls hold.

#include "fuses/fuse_codec.h"
#include "shell/fuse_panel.h"

#include <vector>

namespace kestro {

namespace {

const GroupRow* groupOf(const LayoutDesc& l, int device, int box) {
    for (const GroupRow& g : l.groups)
        if (g.box == box && g.devices.contains(device)) return &g;
    return nullptr;
}

Rect groupPlace(const GroupRow& g, bool large) {
    if (large && g.large.height > 0)
        return {g.large.left, g.large.top, kGroupWidth, g.large.height};
    return {kGroupLeft, g.top, kGroupWidth, g.height};
}

} // namespace

void buildLayout(FusePanel& panel, const LayoutDesc& l, int device, bool large) {
    const auto anchor = [&](int box) {
        const GroupRow* g = groupOf(l, device, box);
        const Rect r = g ? groupPlace(*g, large) : Rect{};
        return Anchor{r.left + 5, r.top + l.innerTop};
    };
    for (const GroupRow& g : l.groups)
        if (g.devices.contains(device)) panel.addGroup(g.box, groupPlace(g, large), g.caption);
    for (const ListRow& r : l.lists)
        if (r.devices.contains(device))
            panel.addList(r.list, anchor(r.group), r.items, r.width, r.smallFont);
    int k = 0;
    for (const BoxRow& r : l.boxes) {
        if (!r.devices.contains(device)) continue;
        if (r.shown) {
            Control& box = panel.addCheckBox(k, anchor(l.boxGroup), k, r.caption);
            // The fill never sets a lock box (W78), so a state left by another layout
            // would reach Program Security unseen; a new layout starts them clear.
            if (r.target.lockWeight) box.checked = false;
        }
        ++k;
    }
    for (const CheckListRow& c : l.checkLists) {
        std::vector<std::string_view> items;
        for (const ItemRow& r : l.items)
            if (r.list == c.list && r.devices.contains(device)) items.push_back(r.caption);
        panel.addCheckList(c.list, anchor(c.group),
                           large && c.largeHeight > 0 ? c.largeHeight : c.height, items);
    }
    if (l.idGroup >= 0) panel.addIdField(anchor(l.idGroup), l.idWidth);
}

void fillLayout(FusePanel& panel, const LayoutDesc& l, int device) {
    FuseBytes bytes = panel.bytes();
    FuseValues values = panel.values();
    fillValues(l, device, bytes, values);
    panel.store(bytes);
    panel.show(values);
}

bool readBackLayout(FusePanel& panel, const LayoutDesc& l, int device) {
    FuseBytes bytes = panel.bytes();
    const ReadBack result = readBackValues(l, device, panel.values(), bytes);
    panel.store(bytes);
    return result == ReadBack::Ok;
}

} // namespace kestro
