// Folders of the running test under the build tree, and a working folder of
// its own for tests of code that writes into the current folder.
#pragma once
#include <string>

// build/test-tmp/Suite.Name, made when missing and kept as it is: a death
// test's re-executed child finds the files its parent wrote.
std::string testFolder();
// The same folder, emptied first.
std::string freshTestFolder();
// Removes a folder and everything in it (a failure when that fails).
void removeFolder(const std::string& dir);

// Where the test was, and the fresh test folder it now works in.
struct WorkingFolder {
    std::string home;
    std::string folder;
};
// Changes into the running test's fresh folder (a fatal failure when it
// can't: check HasFatalFailure()).
WorkingFolder enterTestFolder();
// Back where the test started; the folder removed with what is left in it.
void leaveTestFolder(const WorkingFolder& working);
