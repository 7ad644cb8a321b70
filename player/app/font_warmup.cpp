#include "font_warmup.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

FontWarmUp::FontWarmUp()
{
    try {
        // fontconfig builds its default configuration once and publishes it
        // atomically, so the toolkit asking for it meanwhile is safe (it would
        // only read the files a second time).
        thread_ = std::thread([] { (void)FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the first text reads the configuration itself.
    }
}

FontWarmUp::~FontWarmUp() { wait(); }

void FontWarmUp::wait()
{
    if (thread_.joinable())
        thread_.join();
}
