#include "tests/support/folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

static fs::path folderOfThisTest()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return fs::path(ZANT_BINARY_DIR) / "test-tmp" / (std::string(info->test_suite_name()) + "." + info->name());
}

std::string testFolder()
{
    fs::path dir = folderOfThisTest();
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir.string();
}

std::string freshTestFolder()
{
    removeFolder(folderOfThisTest().string());
    return testFolder();
}

void removeFolder(const std::string& dir)
{
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (ec)
        ADD_FAILURE() << "could not remove " << dir << ": " << ec.message();
}

WorkingFolder enterTestFolder()
{
    WorkingFolder w;
    std::error_code ec;
    w.home = fs::current_path(ec).string();
    [&] { ASSERT_FALSE(ec) << "no working folder: " << ec.message(); }();
    w.folder = freshTestFolder();
    [&] { ASSERT_EQ(chdir(w.folder.c_str()), 0) << w.folder; }();
    return w;
}

void leaveTestFolder(const WorkingFolder& working)
{
    if (chdir(working.home.c_str()) != 0)
        ADD_FAILURE() << "cannot go back to " << working.home;
    removeFolder(working.folder);
}
