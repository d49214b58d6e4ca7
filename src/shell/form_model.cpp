#include "shell/form_model.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <cstdlib>

namespace kestro {

namespace {
[[noreturn]] void unknownName(std::string_view what, std::string_view name) {
    // A name missing from the model is a programming error, caught by any test.
    std::fprintf(stderr, "no %.*s named %.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(name.size()), name.data());
    std::abort();
}
} // namespace

int FormModel::add(Control c) {
    const int i = static_cast<int>(controls.size());
    controlByName_.emplace(c.name, i);
    controls.push_back(std::move(c));
    return i;
}

int FormModel::addMenu(MenuItem m) {
    const int i = static_cast<int>(menus.size());
    if (!m.name.empty()) menuByName_.emplace(m.name, i);
    if (m.parent >= 0) menus[static_cast<size_t>(m.parent)].children.push_back(i);
    menus.push_back(std::move(m));
    return i;
}

void FormModel::resizeClient(int width, int height) {
    window.width = std::max(width, window.rect.width);
    window.height = std::max(height, window.rect.height);
}

Rect FormModel::placed(size_t i) const {
    const Control& c = controls[i];
    Rect r = c.rect;
    if (c.parent >= 0) return r;
    const int dx = window.width - window.rect.width, dy = window.height - window.rect.height;
    Stick stick = c.stick;
    if (stick == Stick::SidePanel) stick = r.left == 0 ? Stick::Grows : Stick::TopRight;
    switch (stick) {
    case Stick::TopLeft: break;
    case Stick::TopRight: r.left += dx; break;
    case Stick::BottomLeft: r.top += dy; break;
    case Stick::Grows:
        r.width += dx;
        r.height += dy;
        break;
    case Stick::SidePanel: break;
    }
    return r;
}

std::vector<int> FormModel::tabOrder() const {
    auto takesFocus = [](ControlKind k) {
        switch (k) {
        case ControlKind::Grid:
        case ControlKind::Button:
        case ControlKind::ComboBox:
        case ControlKind::CheckBox:
        case ControlKind::CheckListBox:
        case ControlKind::Edit: return true;
        default: return false;
        }
    };
    struct Stop {
        int index;
        std::tuple<int, int, int, int> key; // region left, region top, top, left
    };
    std::vector<Stop> stops;
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        if (!takesFocus(c.kind) || !c.enabled) continue;
        bool shown = true;
        int left = 0, top = 0;
        size_t region = i;
        for (int at = static_cast<int>(i); at >= 0; at = controls[static_cast<size_t>(at)].parent) {
            const Control& a = controls[static_cast<size_t>(at)];
            shown = shown && a.visible;
            const Rect r = placed(static_cast<size_t>(at));
            left += r.left;
            top += r.top;
            region = static_cast<size_t>(at);
        }
        if (!shown) continue;
        const Rect area = placed(region);
        stops.push_back({static_cast<int>(i), {area.left, area.top, top, left}});
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.key < b.key; });
    std::vector<int> order;
    for (const Stop& s : stops) order.push_back(s.index);
    return order;
}

int FormModel::controlIndex(std::string_view name) const {
    auto it = controlByName_.find(std::string(name));
    return it == controlByName_.end() ? -1 : it->second;
}

int FormModel::menuIndex(std::string_view name) const {
    auto it = menuByName_.find(std::string(name));
    return it == menuByName_.end() ? -1 : it->second;
}

Control& FormModel::control(std::string_view name) {
    const int i = controlIndex(name);
    if (i < 0) unknownName("control", name);
    return controls[static_cast<size_t>(i)];
}

const Control& FormModel::control(std::string_view name) const {
    return const_cast<FormModel*>(this)->control(name);
}

MenuItem& FormModel::menu(std::string_view name) {
    const int i = menuIndex(name);
    if (i < 0) unknownName("menu item", name);
    return menus[static_cast<size_t>(i)];
}

const MenuItem& FormModel::menu(std::string_view name) const {
    return const_cast<FormModel*>(this)->menu(name);
}

} // namespace kestro
