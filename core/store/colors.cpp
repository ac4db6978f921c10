#include "core/store/colors.h"

#include "core/base/errors.h"

namespace mk {

Rgb qbColor(int index) {
    // The sixteen colours of the classic console palette, dark ones first.
    static constexpr Rgb kPalette[16] = {
        rgb(0, 0, 0),       rgb(0, 0, 128),     rgb(0, 128, 0),   rgb(0, 128, 128),
        rgb(128, 0, 0),     rgb(128, 0, 128),   rgb(128, 128, 0), rgb(192, 192, 192),
        rgb(128, 128, 128), rgb(0, 0, 255),     rgb(0, 255, 0),   rgb(0, 255, 255),
        rgb(255, 0, 0),     rgb(255, 0, 255),   rgb(255, 255, 0), rgb(255, 255, 255),
    };
    if (index < 0 || index > 15) throw RuntimeError(ErrIllegalCall);
    return kPalette[index];
}

}  // namespace mk
