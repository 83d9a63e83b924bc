#include "FontWarmUp.h"

#ifdef SNESENIE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include <system_error>

FontWarmUp::FontWarmUp()
{
#ifdef SNESENIE_FONTCONFIG
    // FcInit makes the process's one configuration; the toolkit's own call
    // then finds it made. Should both run at once, fontconfig keeps one and
    // drops the other, so the worst case is the time it took before.
    try {
        reader_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the toolkit reads the configuration itself.
    }
#endif
}

FontWarmUp::~FontWarmUp() { Finish(); }

void FontWarmUp::Finish()
{
    if (reader_.joinable())
        reader_.join();
}
