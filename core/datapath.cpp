#include "core/datapath.h"

std::string dataDir = "data";

std::string dataPath(const char* file)
{
    if (dataDir.empty())
        return file;
    if (dataDir.back() == '/')
        return dataDir + file;
    return dataDir + "/" + file;
}
