// The marker area panel: what it shows, what it refuses, and what a set area does to
// a transfer.

#include "ops/ops_fixture.h"
#include "view/marker.h"
#include "support/chips.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using namespace chips;

using Marker = test::OpsFixture;
using Texts = std::vector<std::string>;

struct MarkerPanel : Marker {
    void open() { form.MarkerArea1Click(); }
    void enter(const char* start, const char* end) {
        form.model.control("StartEdit").caption = start;
        form.model.control("EndEdit").caption = end;
        form.MarkerOKButtonClick();
    }
    const std::string& field(const char* name) { return form.model.control(name).caption; }
    bool panelShown() { return form.model.control("MarkerPanel").visible; }
};

TEST(MarkerFields, SixHexDigitsOrTheInvalidValue) {
    EXPECT_EQ(parseMarkerField("0001fF", 256), 0x1FFu);
    EXPECT_EQ(parseMarkerField("00010", 256), 257u);   // five digits
    EXPECT_EQ(parseMarkerField("1FF", 256), 257u);
    EXPECT_EQ(parseMarkerField("", 256), 257u);
    EXPECT_EQ(parseMarkerField("00 0FF", 256), 257u);
    EXPECT_EQ(parseMarkerField("0000FG", 256), 257u);
    EXPECT_EQ(checkMarker(0, 255, 256), MarkerCheck::Ok);
    EXPECT_EQ(checkMarker(7, 7, 256), MarkerCheck::Ok); // one byte
    EXPECT_EQ(checkMarker(0x100, 0x10, 256), MarkerCheck::OutOfRange); // range test first
    EXPECT_EQ(checkMarker(0x10, 0x08, 256), MarkerCheck::StartAfterEnd);
    EXPECT_EQ(checkMarker(0, 0, 0), MarkerCheck::OutOfRange); // no memory at all
}

TEST_F(MarkerPanel, OpensWithTheWholeMemoryAndSetsTheArea) {
    selectWithChip(k24C02, k24C02);
    open();
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(form.model.control("MarkerPanel").rect.top, 170);
    EXPECT_EQ(form.model.focus, form.model.controlIndex("StartEdit"));
    EXPECT_FALSE(unlocked());
    EXPECT_EQ(field("StartEdit"), "000000");
    EXPECT_EQ(field("EndEdit"), "0000FF");
    form.MarkerOKButtonClick();
    EXPECT_FALSE(panelShown());
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(st.marker.set);
    EXPECT_EQ(st.marker.end, 255u);
    EXPECT_EQ(field("SLabel"), "Marker Area  Start Address: 000000h  End Address: 0000FFh");
}

TEST_F(MarkerPanel, RefusalsBeepKeepThePanelAndChangeNothing) {
    selectWithChip(k24C02, k24C02);
    struct Case {
        const char* start;
        const char* end;
        const char* message;
    };
    const Case cases[] = {
        {"000100", "0000FF", "Not Available Address Range !"},
        {"000010", "000008", "Start Address > End Address !"},
        {"1FF", "0000FF", "Not Available Address Range !"},
        {"000000", "", "Not Available Address Range !"},
    };
    open();
    for (const Case& c : cases) {
        host.messages.clear();
        host.beeps = 0;
        form.model.focus = -1;
        enter(c.start, c.end);
        EXPECT_EQ(texts(), Texts{c.message}) << c.start << " " << c.end;
        EXPECT_EQ(host.beeps, 1);
        EXPECT_TRUE(panelShown());
        EXPECT_FALSE(unlocked());
        EXPECT_EQ(form.model.focus, form.model.controlIndex("StartEdit"));
        EXPECT_FALSE(st.marker.set);
    }
    enter("000007", "000007"); // one byte
    EXPECT_TRUE(unlocked());
    EXPECT_EQ(st.marker.start, 7u);
    EXPECT_EQ(st.marker.end, 7u);
}

TEST_F(MarkerPanel, WordChipsWidenAtTheTransferButThePanelKeepsWhatWasTyped) {
    selectWithChip(k93C46x16, k93C46x16);
    open();
    enter("000003", "000006");
    form.Read1Click();
    EXPECT_EQ(adapter.packets.back()[kPosStart0], 1); // word address of byte 2
    EXPECT_EQ(st.marker.start, 2u);
    EXPECT_EQ(st.marker.end, 7u);
    EXPECT_EQ(field("SLabel"), "Marker Area  Start Address: 000002h  End Address: 000007h");
    open();
    EXPECT_EQ(field("StartEdit"), "000003");
    EXPECT_EQ(field("EndEdit"), "000006");

    // Selecting a device, even the same one, removes the area.
    select(k93C46x16);
    EXPECT_FALSE(st.marker.set);
    EXPECT_EQ(field("SLabel"), "");
}

} // namespace
} // namespace kestro
