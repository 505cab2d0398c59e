// libFuzzer entry for the mask matcher: the input is a mask and a name in UTF-16, any code units
// at all, and the result must agree with the plain reference matcher.
#include "engine/maskmatcher.h"
#include "maskreference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte says where the mask ends, the rest are UTF-16 code units.
    const std::size_t units = (size - 1) / 2;
    QString all(static_cast<qsizetype>(units), Qt::Uninitialized);
    std::memcpy(all.data(), data + 1, units * 2);
    const qsizetype split = data[0] % (static_cast<qsizetype>(units) + 1);
    const QString mask = all.left(split);
    const QString name = all.mid(split);

    const std::optional<bool> expected = moravel::reference::matches(name, mask);
    try {
        const bool result = moravel::matchesMask(name, mask);
        if (!expected || *expected != result) {
            std::abort();
        }
    } catch (const moravel::InvalidMask& error) {
        if (expected || !error.text().startsWith(u'\'' + mask + u'\'')) {
            std::abort();
        }
    }
    return 0;
}
