#include "core/datadirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

const char* const showDataFiles[11] = {
    "tunemix.mp3", "txtr1.jpg", "txtr2.jpg", "metal.jpg", "bg1.jpg",   "bg2.jpg",
    "bg3.jpg",     "bg4.jpg",   "bg5.jpg",   "bg6.jpg",   "gridi.jpg",
};

static bool isFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A file we could open: a directory or an unreadable file named like a
// picture would only fail later, halfway through start-up.
static bool isReadableFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

std::vector<std::string> missingShowFiles(const std::string& dir)
{
    std::vector<std::string> missing;
    for (const char* name : showDataFiles)
        if (!isReadableFile((fs::path(dir) / name).string()))
            missing.push_back(name);
    return missing;
}

static void addOnce(std::vector<std::string>& list, const std::string& path)
{
    for (const std::string& p : list)
        if (p == path)
            return;
    list.push_back(path);
}

std::vector<std::string> dataFolderCandidates(const DataSearchInputs& in)
{
    std::vector<std::string> list;
    // Relative, exactly as the program always looked for it, so a run from
    // the source tree reads the same paths as before.
    list.push_back("data");
    // XDG's base directory rules make a relative XDG_DATA_HOME invalid: it
    // is ignored, as if unset.
    if (!in.xdgDataHome.empty() && in.xdgDataHome[0] == '/')
        addOnce(list, (fs::path(in.xdgDataHome) / "zant").lexically_normal().string());
    else if (!in.home.empty())
        addOnce(list, (fs::path(in.home) / ".local/share/zant").lexically_normal().string());
    // Found from the executable rather than built in, so any prefix and an
    // unpacked archive work without rebuilding.
    if (!in.exePath.empty() && in.exePath[0] == '/')
        addOnce(list, (fs::path(in.exePath).parent_path().parent_path() / "share/zant").lexically_normal().string());
    return list;
}

static std::string shownName(const std::string& folder)
{
    return folder[0] == '/' ? folder : "./" + folder;
}

static std::string whatIsMissing(const std::string& folder, const std::vector<std::string>& missing)
{
    if (!isFolder(folder))
        return "no such folder";
    if (missing.size() == sizeof showDataFiles / sizeof showDataFiles[0])
        return "none of the files";
    std::string text = "missing";
    for (size_t i = 0; i < missing.size(); i++)
        text += (i ? ", " : " ") + missing[i];
    return text;
}

DataSearchResult searchDataFolders(const std::vector<std::string>& candidates)
{
    DataSearchResult result;
    std::string lines;
    for (const std::string& folder : candidates) {
        result.tried.push_back(folder);
        std::vector<std::string> missing = missingShowFiles(folder);
        if (missing.empty()) {
            result.folder = folder;
            return result;
        }
        lines += "\n  " + shownName(folder) + ": " + whatIsMissing(folder, missing);
    }
    result.report = "no folder holds the show's data (tunemix.mp3 and the ten pictures). Tried:" + lines +
        "\nPut the files in one of these folders, or name a folder that has them with --data DIR.";
    return result;
}

std::string chooseDataFolder(const std::string& requested, const DataSearchInputs& inputs, std::string& report)
{
    if (!requested.empty())
        return requested;
    DataSearchResult found = searchDataFolders(dataFolderCandidates(inputs));
    report = found.report;
    return found.folder;
}

std::string dataFolderSummary(const DataSearchInputs& inputs)
{
    std::vector<std::string> candidates = dataFolderCandidates(inputs);
    DataSearchResult found = searchDataFolders(candidates);
    std::string text = "Data folder, unless --data names one: the first of these that holds tunemix.mp3\n"
                       "and all ten pictures.";
    for (const std::string& folder : candidates)
        text += "\n  " + shownName(folder) + (folder == found.folder ? "    <- this run would use it" : "");
    if (found.folder.empty())
        text += "\nNone of them holds the files, so the show would not start.";
    return text;
}
