#include "devtools/fontfile.h"

#include <sys/stat.h>

#include "core/datapath.h"

// The site carries the font fontconfig picks when it is built.
std::string findFontFile()
{
    std::string path = dataPath("overlay-font.ttf");
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? path : std::string();
}
