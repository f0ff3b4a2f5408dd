// Placeholder until the texture module lands.
#include "texture/assets.h"
std::string dataDir = "data";
std::string dataPath(const char* file) { return dataDir + "/" + file; }
void prepareAssets() {}
