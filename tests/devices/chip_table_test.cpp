// Checks over the whole chip table, one chip at a time: what one row says must agree
// with what every other table says of the same chip.

#include "devices/catalogue.h"
#include "devices/signatures.h"
#include "devices/traits.h"
#include "fuses/fuse_layouts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestro {
namespace {

std::string nameOf(int i) { return std::string(catalogueRows()[static_cast<size_t>(i)].name); }

// Identification probes with the chip's own first probe, then the sweep; a signature
// counts only when its chip is of the probing device's family.
bool foundByIdentification(int i, const Signature& sig) {
    const int named = signatureDevice(sig);
    if (named != i && named != traitsOf(i).signatureTwin) return false;
    std::set<int> probes(probeSweep().begin(), probeSweep().end());
    if (firstProbe(i) >= 0) probes.insert(firstProbe(i));
    for (int p : probes)
        if (familyOf(p) == familyOf(named)) return true;
    return false;
}

TEST(ChipTable, EveryChipWithASignatureIsFoundByIdentification) {
    int withSignature = 0;
    for (int i = 0; i < kDeviceCount; ++i) {
        SCOPED_TRACE(nameOf(i));
        Signature sig{};
        if (!signatureOf(i, sig)) continue;
        ++withSignature;
        EXPECT_FALSE(withoutIdentification(i, 0));
        EXPECT_TRUE(foundByIdentification(i, sig));
        EXPECT_TRUE(traitsOf(i).microcontroller || traitsOf(i).singleMemory);
    }
    EXPECT_GT(withSignature, 0);
}

// The panel's layouts cover the microcontrollers, 0 to 101, but for the AT90S4433,
// AT90S4434 and AT90S8535 and the 87C5x, 8748, DS5000 and TMP47P443 rows 32 to 45;
// memories, encoders and the unknown row have none.
TEST(ChipTable, FuseLayoutsCoverTheMicrocontrollersButThoseWithout) {
    for (int i = 0; i <= kUnknownDevice; ++i) {
        const bool without = i == 23 || i == 24 || i == 26 || (i >= 32 && i <= 45) || i > 101;
        EXPECT_EQ(fuseLayoutFor(i) != nullptr, !without) << i;
        if (fuseLayoutFor(i)) EXPECT_TRUE(traitsOf(i).microcontroller) << nameOf(i);
    }
}

} // namespace
} // namespace kestro
