#include "devices/device_names.h"

#include "devices/catalogue.h"
#include "devices/traits.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kestro {

namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string upperCase(std::string_view s) {
    std::string u(s);
    std::transform(u.begin(), u.end(), u.begin(), upper);
    return u;
}

// Insertions, deletions, substitutions and swaps of two neighbours each count one.
size_t editDistance(const std::string& a, const std::string& b) {
    const size_t w = b.size() + 1;
    std::vector<size_t> d((a.size() + 1) * w);
    const auto at = [&](size_t i, size_t j) -> size_t& { return d[i * w + j]; };
    for (size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
    for (size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1,
                                 at(i - 1, j - 1) + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    }
    return at(a.size(), b.size());
}

} // namespace

std::string_view menuName(int deviceIndex) {
    const std::string_view caption = traitsOf(deviceIndex).itemCaption;
    return caption.empty() ? catalogueRows()[static_cast<size_t>(deviceIndex)].name : caption;
}

std::optional<int> findDeviceIgnoringCase(std::string_view name) {
    const std::string wanted = upperCase(name);
    const auto rows = catalogueRows();
    // The name the menu shows first (row 170 is "29C010A" there, so "29F010" is row 172's).
    for (size_t i = 0; i < rows.size(); ++i)
        if (upperCase(menuName(static_cast<int>(i))) == wanted) return static_cast<int>(i);
    for (size_t i = 0; i < rows.size(); ++i)
        if (upperCase(rows[i].name) == wanted) return static_cast<int>(i);
    return std::nullopt;
}

std::vector<std::string_view> closestDeviceNames(std::string_view name, size_t count) {
    const std::string wanted = upperCase(name);
    struct Scored {
        size_t score;
        size_t index;
        std::string_view name;
    };
    std::vector<Scored> scored;
    const auto rows = catalogueRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string candidate = upperCase(rows[i].name);
        size_t score = editDistance(wanted, candidate);
        // "89C5" should bring up the AT89C5x parts before any two-letter neighbour.
        if (!wanted.empty() && candidate.find(wanted) != std::string::npos) score = 1;
        scored.push_back({score, i, rows[i].name});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const Scored& a, const Scored& b) { return a.score < b.score; });
    std::vector<std::string_view> names;
    for (const Scored& s : scored) {
        if (names.size() == count) break;
        if (std::find(names.begin(), names.end(), s.name) == names.end()) names.push_back(s.name);
    }
    return names;
}

} // namespace kestro
