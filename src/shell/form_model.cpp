#include "shell/form_model.h"

#include <cstdio>
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
