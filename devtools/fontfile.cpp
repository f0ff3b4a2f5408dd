#include "devtools/fontfile.h"

#include <fontconfig/fontconfig.h>

std::string findFontFile()
{
    std::string path;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return path;
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)"Arial");
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BLACK);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = (const char*)file;
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}
