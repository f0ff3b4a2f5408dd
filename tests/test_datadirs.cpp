// The data folder search: the folders looked at and their order, what makes
// a folder count, the report when none does, and --data winning untested.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/datafolder.h"
#include "core/datadirs.h"
#include "tests/support/folders.h"

namespace fs = std::filesystem;

namespace {

using Paths = std::vector<std::string>;

// A folder with every file the show needs, each a few bytes: the search
// only looks at names, the loaders check contents later.
std::string fullFolder(const std::string& dir)
{
    fs::create_directories(dir);
    for (const char* name : showDataFiles)
        std::ofstream(dir + "/" + name) << "x";
    return dir;
}

}  // namespace

TEST(DataFolderCandidates, WorkingFolderThenUserThenBesideTheProgram)
{
    DataSearchInputs in{"", "/home/ann", "/opt/zant/bin/zant"};
    EXPECT_EQ(dataFolderCandidates(in), (Paths{"data", "/home/ann/.local/share/zant", "/opt/zant/share/zant"}));
}

TEST(DataFolderCandidates, XdgDataHomeReplacesTheDefault)
{
    DataSearchInputs in{"/srv/ann/xdg/", "/home/ann", "/usr/bin/zant"};
    EXPECT_EQ(dataFolderCandidates(in), (Paths{"data", "/srv/ann/xdg/zant", "/usr/share/zant"}));
}

TEST(DataFolderCandidates, RelativeXdgDataHomeIsIgnored)
{
    DataSearchInputs in{"xdg", "/home/ann", "/usr/bin/zant"};
    EXPECT_EQ(dataFolderCandidates(in), (Paths{"data", "/home/ann/.local/share/zant", "/usr/share/zant"}));
}

TEST(DataFolderCandidates, GamesFolderAndDottedPathsFindTheSameShare)
{
    EXPECT_EQ(dataFolderCandidates({"", "", "/usr/games/zant"}), (Paths{"data", "/usr/share/zant"}));
    EXPECT_EQ(dataFolderCandidates({"", "", "/opt/x/./bin/../bin/zant"}), (Paths{"data", "/opt/x/share/zant"}));
}

TEST(DataFolderCandidates, UnknownHomeAndProgramLeaveTheWorkingFolder)
{
    EXPECT_EQ(dataFolderCandidates({"", "", ""}), Paths{"data"});
    EXPECT_EQ(dataFolderCandidates({"", "", "zant"}), Paths{"data"});
}

TEST(DataFolderCandidates, SameFolderListedOnce)
{
    DataSearchInputs in{"/home/ann/.local/share", "/home/ann", "/home/ann/.local/bin/zant"};
    EXPECT_EQ(dataFolderCandidates(in), (Paths{"data", "/home/ann/.local/share/zant"}));
}

TEST(DataFolderCandidates, CurrentInputsComeFromTheEnvironmentAndThisProgram)
{
    setenv("XDG_DATA_HOME", "/tmp/some-xdg", 1);
    setenv("HOME", "/tmp/some-home", 1);
    DataSearchInputs in = currentDataSearchInputs();
    EXPECT_EQ(in.xdgDataHome, "/tmp/some-xdg");
    EXPECT_EQ(in.home, "/tmp/some-home");
    EXPECT_EQ(fs::path(in.exePath).filename(), "test_datadirs");
    // Without HOME the password database still knows the home folder.
    unsetenv("HOME");
    EXPECT_FALSE(currentDataSearchInputs().home.empty());
}

TEST(MissingShowFiles, NamesWhatIsMissing)
{
    std::string dir = fullFolder(freshTestFolder() + "/d");
    EXPECT_TRUE(missingShowFiles(dir).empty());
    fs::remove(dir + "/bg4.jpg");
    fs::remove(dir + "/tunemix.mp3");
    // A folder named like a file is no file the loaders could open.
    fs::remove(dir + "/gridi.jpg");
    fs::create_directory(dir + "/gridi.jpg");
    EXPECT_EQ(missingShowFiles(dir), (Paths{"tunemix.mp3", "bg4.jpg", "gridi.jpg"}));
    EXPECT_EQ(missingShowFiles(dir + "/nowhere").size(), 11u);
}

// missingShowFiles as a user without privileges sees it. Root reads every
// file whatever its mode, so as root the search runs in a child that has
// become nobody and writes the names it found missing back, a line each.
Paths missingAsUnprivileged(const std::string& dir)
{
    if (geteuid() != 0)
        return missingShowFiles(dir);
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const gid_t nobody = 65534;
        if (setgroups(1, &nobody) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(3);
        std::string names;
        for (const std::string& name : missingShowFiles(dir))
            names += name + "\n";
        _exit(write(fds[1], names.data(), names.size()) == (ssize_t)names.size() ? 0 : 4);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, (size_t)n);
    close(fds[0]);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unprivileged search failed: " << status;
    Paths missing;
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1)
        missing.push_back(out.substr(at, end - at));
    return missing;
}

// A file the user may not read is one the loaders cannot open. In /tmp, so
// that nobody can reach the folder wherever the build tree is.
TEST(MissingShowFiles, AnUnreadableFileIsMissing)
{
    char made[] = "/tmp/zant_unreadable.XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string dir = made;
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    fullFolder(dir);
    for (const char* name : showDataFiles)
        ASSERT_EQ(chmod((dir + "/" + name).c_str(), 0644), 0);
    EXPECT_TRUE(missingAsUnprivileged(dir).empty()) << "every file readable";
    ASSERT_EQ(chmod((dir + "/bg4.jpg").c_str(), 0), 0);
    ASSERT_EQ(chmod((dir + "/tunemix.mp3").c_str(), 0200), 0);
    EXPECT_EQ(missingAsUnprivileged(dir), (Paths{"tunemix.mp3", "bg4.jpg"}));
    fs::remove_all(dir);
}

TEST(MissingShowFiles, AcceptsLinksToFiles)
{
    std::string base = freshTestFolder();
    std::string real = fullFolder(base + "/real");
    fs::create_directory(base + "/links");
    for (const char* name : showDataFiles)
        fs::create_symlink(real + "/" + name, base + "/links/" + name);
    EXPECT_TRUE(missingShowFiles(base + "/links").empty());
}

TEST(DataFolderSearch, FirstCompleteFolderWins)
{
    std::string base = freshTestFolder();
    std::string a = fullFolder(base + "/a"), b = fullFolder(base + "/b");
    DataSearchResult r = searchDataFolders({base + "/none", a, b});
    EXPECT_EQ(r.folder, a);
    EXPECT_EQ(r.tried, (Paths{base + "/none", a}));
    EXPECT_TRUE(r.report.empty());
}

TEST(DataFolderSearch, PartialFolderIsPassedOver)
{
    std::string base = freshTestFolder();
    std::string partial = fullFolder(base + "/partial"), full = fullFolder(base + "/full");
    fs::remove(partial + "/bg2.jpg");
    EXPECT_EQ(searchDataFolders({partial, full}).folder, full);
}

TEST(DataFolderSearch, ReportListsEveryFolderAndWhatItLacks)
{
    std::string base = freshTestFolder();
    std::string partial = fullFolder(base + "/partial");
    fs::remove(partial + "/bg2.jpg");
    fs::remove(partial + "/metal.jpg");
    fs::create_directory(base + "/empty");
    DataSearchResult r = searchDataFolders({"no-such-relative-folder", partial, base + "/empty"});
    EXPECT_TRUE(r.folder.empty());
    EXPECT_EQ(r.tried.size(), 3u);
    EXPECT_NE(r.report.find("\n  ./no-such-relative-folder: no such folder"), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("\n  " + partial + ": missing metal.jpg, bg2.jpg"), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("\n  " + base + "/empty: none of the files"), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("--data DIR"), std::string::npos) << r.report;
}

TEST(ChooseDataFolder, DataOptionWinsUntested)
{
    std::string report;
    EXPECT_EQ(chooseDataFolder("/no/such/folder", currentDataSearchInputs(), report), "/no/such/folder");
    EXPECT_TRUE(report.empty());
}

// The whole search as the program runs it, from a working folder of our own.
TEST(ChooseDataFolder, UserFolderFoundFromTheEnvironment)
{
    WorkingFolder working = enterTestFolder();
    ASSERT_FALSE(HasFatalFailure());
    const std::string base = working.folder;
    fullFolder(base + "/xdg/zant");
    setenv("XDG_DATA_HOME", (base + "/xdg").c_str(), 1);
    std::string report;
    EXPECT_EQ(chooseDataFolder("", currentDataSearchInputs(), report), base + "/xdg/zant");
    std::string summary = dataFolderSummary(currentDataSearchInputs());
    EXPECT_NE(summary.find("\n  ./data\n  " + base + "/xdg/zant    <- this run would use it"), std::string::npos)
        << summary;

    // A complete ./data comes first.
    fullFolder("data");
    EXPECT_EQ(chooseDataFolder("", currentDataSearchInputs(), report), "data");

    // Nothing anywhere (this test program has no data beside it either).
    fs::remove_all("data");
    fs::remove_all(base + "/xdg/zant");
    EXPECT_EQ(chooseDataFolder("", currentDataSearchInputs(), report), "");
    EXPECT_NE(report.find("./data: no such folder"), std::string::npos) << report;
    EXPECT_NE(report.find(base + "/xdg/zant: no such folder"), std::string::npos) << report;
    EXPECT_NE(dataFolderSummary(currentDataSearchInputs()).find("None of them holds the files"), std::string::npos);
    leaveTestFolder(working);
}
