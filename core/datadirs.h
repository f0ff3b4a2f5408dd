// Where the show's data folder is found when --data does not name one.
#pragma once
#include <string>
#include <vector>

// The files a folder must hold to count as a data folder: the soundtrack
// and the ten pictures. The show needs every one of them, so a folder with
// only some of them is passed over rather than mixed with another.
extern const char* const showDataFiles[11];

// Names of showDataFiles missing from dir (empty when it holds them all).
std::vector<std::string> missingShowFiles(const std::string& dir);

// What the search depends on: the program asks the platform for it
// (app/datafolder.h), tests fill it in by hand.
struct DataSearchInputs {
    std::string xdgDataHome;  // $XDG_DATA_HOME (ignored when not absolute)
    std::string home;         // $HOME, else the account's home folder
    std::string exePath;      // the running program's file
};

// The folders looked at, first match wins: ./data, then the user's own
// (XDG_DATA_HOME/zant, default ~/.local/share/zant), then the installed copy
// at <folder of the executable>/../share/zant.
std::vector<std::string> dataFolderCandidates(const DataSearchInputs& inputs);

struct DataSearchResult {
    std::string folder;  // empty when no candidate holds the show's files
    std::vector<std::string> tried;
    std::string report;  // when folder is empty: every folder tried and what it lacks
};
DataSearchResult searchDataFolders(const std::vector<std::string>& candidates);

// The search as the program runs it. requested (from --data) wins untested;
// otherwise the first candidate. On failure returns "" and sets report.
std::string chooseDataFolder(const std::string& requested, const DataSearchInputs& inputs, std::string& report);

// One line for --help: the folder a run would use, or that none holds the files.
std::string dataFolderSummary(const DataSearchInputs& inputs);
