// The one engine behind every fuse layout: fill and read-back over a description,
// with no window involved.

#include "fuses/fuse_codec.h"
#include "fuses/fuse_layouts.h"

#include <algorithm>
#include <cstdio>

namespace kestro {

void FuseValues::setChecked(int checkList, int item, bool on) {
    uint16_t& mask = items[static_cast<size_t>(checkList)];
    const auto b = static_cast<uint16_t>(1u << item);
    mask = static_cast<uint16_t>(on ? mask | b : mask & ~b);
}

namespace {

// The working copy, one flag per configuration bit: the bit view's sixteen, or the
// whole configuration block for PIC18.
class Work {
  public:
    static constexpr int kBits = 128; // the configuration block's sixteen bytes
    bool operator[](int k) const { return (bits_[k / 64] >> (k % 64)) & 1; }
    void set(int k, bool on) {
        const uint64_t b = uint64_t{1} << (k % 64);
        bits_[k / 64] = on ? bits_[k / 64] | b : bits_[k / 64] & ~b;
    }
    void flip(const Work& mask) {
        bits_[0] ^= mask.bits_[0];
        bits_[1] ^= mask.bits_[1];
    }

  private:
    std::array<uint64_t, 2> bits_{};
};

Work loadWork(const LayoutDesc& layout, const FuseBytes& bytes) {
    Work w;
    if (layout.working == Working::BitView) {
        for (int k = 0; k < 16; ++k)
            w.set(k, bytes.bitView[static_cast<size_t>(k)] != 0);
    } else {
        for (int k = 0; k < Work::kBits; ++k)
            w.set(k, (bytes.config[static_cast<size_t>(k / 8)] >> (k % 8)) & 1);
    }
    return w;
}

void storeBitView(const Work& w, FuseBytes& bytes) {
    for (int k = 0; k < 16; ++k)
        bytes.bitView[static_cast<size_t>(k)] = w[k] ? 1 : 0;
}

// The rows of a layout that apply to a device, with the control number each gets:
// check boxes and check-list items are numbered in table order.
template <class Fn> void eachList(const LayoutDesc& l, int device, Fn fn) {
    for (const ListRow& r : l.lists)
        if (r.devices.contains(device)) fn(r);
}
template <class Fn> void eachBox(const LayoutDesc& l, int device, Fn fn) {
    int k = 0;
    for (const BoxRow& r : l.boxes)
        if (r.devices.contains(device)) fn(r, k++);
}
template <class Fn> void eachItem(const LayoutDesc& l, int device, Fn fn) {
    std::array<int, kCheckListCount> next{};
    for (const ItemRow& r : l.items)
        if (r.devices.contains(device)) fn(r, next[static_cast<size_t>(r.list)]++);
}

Work invertedBits(const LayoutDesc& l, int device) {
    Work set;
    const auto mark = [&set](const Target& t) {
        if (t.isBit() && t.inverted) set.set(t.bit, true);
    };
    eachList(l, device, [&](const ListRow& r) {
        for (const Target& t : r.bits)
            mark(t);
    });
    eachBox(l, device, [&](const BoxRow& r, int) { mark(r.target); });
    eachItem(l, device, [&](const ItemRow& r, int) { mark(r.target); });
    return set;
}

bool at(const Work& w, const Target& t) { return w[t.bit]; }

int fillIndex(const ListRow& r, const Work& w) {
    if (r.fill == ListFill::First) return 0;
    unsigned value = 0;
    for (size_t j = 0; j < r.bits.size(); ++j)
        if (r.bits[j].isBit() && at(w, r.bits[j])) value |= 1u << j;
    int index = r.fill == ListFill::Pattern ? -1 : static_cast<int>(value);
    for (const Pattern& p : r.patterns)
        if (p.value == value) index = p.index;
    return index >= 0 && static_cast<size_t>(index) < r.items.size() ? index : -1;
}

void readLockMode(const LayoutDesc& l, int device, const FuseValues& v, FuseBytes& bytes) {
    eachList(l, device, [&](const ListRow& r) {
        const int index = v.list[static_cast<size_t>(r.list)];
        if (r.lock && index >= 0 && static_cast<size_t>(index) < std::size(kLockModes))
            bytes.lockMode = kLockModes[index]; // no selection: the lock mode stays
    });
    bool weighted = false;
    unsigned mode = l.lockBase;
    eachBox(l, device, [&](const BoxRow& r, int k) {
        weighted |= r.target.lockWeight != 0;
        if (v.box[static_cast<size_t>(k)]) mode += r.target.lockWeight;
    });
    eachItem(l, device, [&](const ItemRow& r, int i) {
        weighted |= r.target.lockWeight != 0;
        if (v.checked(r.list, i)) mode += r.target.lockWeight;
    });
    if (weighted) bytes.lockMode = static_cast<uint8_t>(mode);
}

void readWord(const LayoutDesc& l, int device, const FuseValues& v, FuseBytes& bytes) {
    Work w = loadWork(l, bytes);
    const auto put = [&w](const Target& t, bool on) {
        if (t.isBit()) w.set(t.bit, on);
    };
    eachList(l, device, [&](const ListRow& r) {
        if (r.lock) return;
        // No selection is index -1, whose bits are all 1.
        const int index = v.list[static_cast<size_t>(r.list)];
        for (size_t j = 0; j < r.bits.size(); ++j)
            put(r.bits[j], (index >> j) & 1);
    });
    eachBox(l, device,
            [&](const BoxRow& r, int k) { put(r.target, v.box[static_cast<size_t>(k)]); });
    eachItem(l, device, [&](const ItemRow& r, int i) { put(r.target, v.checked(r.list, i)); });
    w.flip(invertedBits(l, device));
    for (const AfterRow& a : l.after) {
        if (!a.devices.contains(device)) continue;
        const bool on = a.from == kOnes || (a.from >= 0 && w[a.from]);
        for (int k = 0; k < 16; ++k)
            if ((a.bits >> k) & 1) w.set(k, on);
    }
    storeBitView(w, bytes);
    storeWordBits(bytes.bitView, bytes.config);
}

std::string_view groupCaption(const LayoutDesc& l, int device, int box) {
    for (const GroupRow& g : l.groups)
        if (g.box == box && g.devices.contains(device)) return g.caption;
    return {};
}

const LayoutDesc* descFor(int device) {
    const FuseLayout* layout = fuseLayoutFor(device);
    return layout ? layout->desc : nullptr;
}

} // namespace

void fillValues(const LayoutDesc& l, int device, FuseBytes& bytes, FuseValues& v) {
    Work w = loadWork(l, bytes);
    w.flip(invertedBits(l, device));
    if (l.working == Working::BitView) storeBitView(w, bytes);
    eachList(l, device,
             [&](const ListRow& r) { v.list[static_cast<size_t>(r.list)] = fillIndex(r, w); });
    eachBox(l, device, [&](const BoxRow& r, int k) {
        if (r.target.isBit()) v.box[static_cast<size_t>(k)] = at(w, r.target);
    });
    eachItem(l, device, [&](const ItemRow& r, int i) {
        if (r.target.isBit()) v.setChecked(r.list, i, at(w, r.target));
    });
    if (l.idGroup >= 0) v.id = idFieldText(bytes.id, l.idWidth);
    if (l.fillClearsLock) bytes.lockMode = 0;
}

ReadBack readBackValues(const LayoutDesc& l, int device, const FuseValues& v, FuseBytes& bytes) {
    readLockMode(l, device, v, bytes);
    if (l.storesWord) readWord(l, device, v, bytes);
    if (l.rule) l.rule(device, v, bytes);
    if (l.idGroup < 0) return ReadBack::Ok;
    const auto id = parseIdField(v.id, l.idWidth);
    if (!id) return ReadBack::BadId;
    std::copy_n(id->begin(), static_cast<int>(l.idWidth), bytes.id.begin());
    return ReadBack::Ok;
}

FuseValues decode(int device, FuseBytes bytes) {
    FuseValues values;
    const LayoutDesc* l = descFor(device);
    if (!l) return values;
    if (l->working == Working::BitView) bytes.bitView = wordBits(bytes.config);
    fillValues(*l, device, bytes, values);
    return values;
}

ReadBack encode(int device, const FuseValues& values, FuseBytes& bytes) {
    const LayoutDesc* l = descFor(device);
    if (!l) return ReadBack::Ok;
    if (l->working == Working::BitView) bytes.bitView = wordBits(bytes.config);
    return readBackValues(*l, device, values, bytes);
}

ReadBack recompose(int device, Images& img, FusePanelState& fuse,
                   const std::function<void(FuseValues&)>& adjust) {
    FuseBytes b;
    b.config = img.configBlock;
    b.id = img.idBlock;
    b.lockMode = fuse.lockMode;
    b.filePair = fuse.fuseFilePair;
    FuseValues values = decode(device, b);
    if (adjust) adjust(values);
    const ReadBack r = encode(device, values, b);
    img.configBlock = b.config;
    if (r == ReadBack::Ok) img.idBlock = b.id;
    fuse.lockMode = b.lockMode;
    fuse.fuseFilePair = b.filePair;
    return r;
}

std::vector<Setting> settingsOf(int device) {
    std::vector<Setting> out;
    const LayoutDesc* l = descFor(device);
    if (!l) return out;
    eachList(*l, device, [&](const ListRow& r) {
        out.push_back(
            {SettingKind::List, r.list, 0, groupCaption(*l, device, r.group), {}, r.items});
    });
    eachBox(*l, device, [&](const BoxRow& r, int k) {
        if (r.shown)
            out.push_back(
                {SettingKind::Box, k, 0, groupCaption(*l, device, l->boxGroup), r.caption, {}});
    });
    for (const CheckListRow& c : l->checkLists) {
        eachItem(*l, device, [&](const ItemRow& r, int i) {
            if (r.list == c.list)
                out.push_back({SettingKind::Item,
                               r.list,
                               i,
                               groupCaption(*l, device, c.group),
                               r.caption,
                               {}});
        });
    }
    if (l->idGroup >= 0)
        out.push_back({SettingKind::Id, 0, 0, groupCaption(*l, device, l->idGroup), {}, {}});
    return out;
}

std::array<uint8_t, 16> wordBits(const std::array<uint8_t, 16>& config) {
    std::array<uint8_t, 16> bits{};
    const unsigned word = config[1] << 8 | config[0];
    for (size_t k = 0; k < bits.size(); ++k)
        bits[k] = (word >> k) & 1;
    return bits;
}

void storeWordBits(const std::array<uint8_t, 16>& bits, std::array<uint8_t, 16>& config) {
    unsigned word = 0;
    for (size_t k = 0; k < bits.size(); ++k)
        word |= (bits[k] & 1u) << k;
    config[0] = static_cast<uint8_t>(word & 0xFF);
    config[1] = static_cast<uint8_t>(word >> 8);
}

std::string idFieldText(std::span<const uint8_t> id, IdWidth width) {
    std::string text;
    for (size_t k = 0; k < static_cast<size_t>(width); ++k) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", id[k]);
        text += hex;
    }
    return text;
}

std::optional<std::array<uint8_t, 8>> parseIdField(std::string_view text, IdWidth width) {
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t pos = 0;
    while (pos < text.size() && blank(text[pos]))
        ++pos;
    std::array<int, 16> digits{};
    const int count = 2 * static_cast<int>(width);
    for (int i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size()) return std::nullopt; // the token ends too early
        const char c = text[pos];
        if (c >= '0' && c <= '9')
            digits[static_cast<size_t>(i)] = c & 0x0F;
        else if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
            digits[static_cast<size_t>(i)] = (c & 0x0F) + 9;
        else
            return std::nullopt; // also a blank: the token was too short
    }
    std::array<uint8_t, 8> bytes{};
    for (int k = 0; k < count / 2; ++k)
        bytes[static_cast<size_t>(k)] = static_cast<uint8_t>(
            16 * digits[static_cast<size_t>(2 * k)] + digits[static_cast<size_t>(2 * k + 1)]);
    return bytes;
}

} // namespace kestro
