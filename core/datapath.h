// The folder the soundtrack and pictures are read from.
#pragma once
#include <string>

// "data" unless --data says otherwise.
extern std::string dataDir;
// dataDir joined with a file name: "data/txtr1.jpg".
std::string dataPath(const char* file);
