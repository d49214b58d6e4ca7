#pragma once
// A started form for fuse panel tests: controls found by what the user reads on them,
// and the configuration word as one number.

#include "support/form_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace kestro::test {

struct FuseForm : StartedForm {
    Control& ctl(std::string_view name) { return form.model.control(name); }

    // The shown check box with this caption.
    Control& box(std::string_view caption) {
        for (int i = 1; i <= 10; ++i) {
            Control& c = ctl("CheckBox" + std::to_string(i));
            if (c.visible && c.caption == caption) return c;
        }
        ADD_FAILURE() << "no check box \"" << caption << "\"";
        return ctl("CheckBox10");
    }
    void tick(std::string_view caption, bool on = true) { box(caption).checked = on; }

    // Text of a list's selection, "" when nothing is selected.
    std::string shown(std::string_view list) {
        const Control& c = ctl(list);
        return c.itemIndex < 0 ? "" : c.items.at(static_cast<size_t>(c.itemIndex));
    }
    void choose(std::string_view list, std::string_view item, int occurrence = 0) {
        Control& c = ctl(list);
        for (size_t i = 0; i < c.items.size(); ++i)
            if (c.items[i] == item && occurrence-- == 0) {
                c.itemIndex = static_cast<int>(i);
                return;
            }
        ADD_FAILURE() << list << " has no item \"" << item << "\"";
    }
    // Every item of a check-box list checked or not.
    void checkAll(std::string_view list, bool on) {
        auto& items = ctl(list).itemChecked;
        std::fill(items.begin(), items.end(), on ? 1 : 0);
    }

    uint16_t word() const {
        return static_cast<uint16_t>(st.images.configBlock[1] << 8 | st.images.configBlock[0]);
    }
    void setWord(uint16_t w) {
        st.images.configBlock[0] = static_cast<uint8_t>(w & 0xFF);
        st.images.configBlock[1] = static_cast<uint8_t>(w >> 8);
    }
    // As after Read Fuse or Open: new bytes, then a refresh of the panel.
    void refill(uint16_t w) {
        setWord(w);
        form.SetFuse(1);
    }
};

} // namespace kestro::test
