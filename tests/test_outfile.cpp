// Output files: a failed write leaves what the name held untouched, and a
// name that is a device, a folder or a pipe is refused before anything is
// written. The full disk is a file-size limit here (SIGXFSZ ignored, so the
// write fails with EFBIG as it would with ENOSPC).
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/outfile.h"
#include "devtools/png.h"
#include "tests/support/gl_fixture.h"

namespace {

std::string freshFolder()
{
    std::string folder = std::string(::testing::TempDir()) + "zant_outfile_" +
        ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string cmd = "rm -rf '" + folder + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(mkdir(folder.c_str(), 0755), 0);
    return folder;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    while (dirent* e = d ? readdir(d) : nullptr)
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            names.push_back(e->d_name);
    if (d)
        closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

void writeText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

std::string readAll(const std::string& path)
{
    std::vector<char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Every write past `bytes` fails with EFBIG while it is alive.
struct SizeLimit {
    rlimit before;
    void (*oldHandler)(int);
    explicit SizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &before);
        oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~SizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, oldHandler);
    }
};

std::vector<uint8_t> noisyPicture(int w, int h)
{
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    uint32_t x = 12345;
    for (uint8_t& v : rgb) {
        x = x * 1103515245u + 12345u;
        v = (uint8_t)(x >> 24);
    }
    return rgb;
}

}  // namespace

TEST(OutputFile, CommitReplacesTheFileAndKeepsItsPermissions)
{
    std::string folder = freshFolder();
    std::string name = folder + "/picture.png";
    writeText(name, "old");
    ASSERT_EQ(chmod(name.c_str(), 0640), 0);
    OutputFile out;
    std::string why;
    ASSERT_TRUE(beginOutput(name, out, why)) << why;
    EXPECT_EQ(out.temp.rfind(folder + "/.", 0), 0u) << "hidden, beside the target: " << out.temp;
    EXPECT_EQ(out.temp.substr(out.temp.size() - 4), ".png") << "ffmpeg picks the format by the extension";
    EXPECT_EQ(readAll(name), "old") << "nothing touches the name before the commit";
    ASSERT_EQ(write(out.fd, "new", 3), 3);
    ASSERT_TRUE(commitOutput(out, why)) << why;
    EXPECT_EQ(readAll(name), "new");
    struct stat st;
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"picture.png"});
}

TEST(OutputFile, AbandonRemovesOnlyTheTemporaryFile)
{
    std::string folder = freshFolder();
    std::string name = folder + "/show.mp4";
    writeText(name, "a finished video");
    OutputFile out;
    std::string why;
    ASSERT_TRUE(beginOutput(name, out, why)) << why;
    ASSERT_EQ(write(out.fd, "half", 4), 4);
    abandonOutput(out);
    EXPECT_EQ(readAll(name), "a finished video");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"show.mp4"});
    // A name that did not exist before is not created by a failure either.
    ASSERT_TRUE(beginOutput(folder + "/new.mp4", out, why)) << why;
    abandonOutput(out);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"show.mp4"});
}

TEST(OutputFile, DevicesFoldersAndPipesAreRefusedAndLeftAlone)
{
    std::string folder = freshFolder();
    std::string fifo = folder + "/pipe.png", dir = folder + "/dir.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    struct {
        std::string path;
        const char* kind;
    } cases[] = {{"/dev/full", "a device"}, {"/dev/null", "a device"}, {fifo, "a pipe"}, {dir, "a folder"}};
    for (const auto& c : cases) {
        OutputFile out;
        std::string why;
        EXPECT_FALSE(outputNameUsable(c.path, why)) << c.path;
        EXPECT_NE(why.find(c.path + " is " + c.kind), std::string::npos) << why;
        why.clear();
        EXPECT_FALSE(beginOutput(c.path, out, why)) << c.path;
        EXPECT_NE(why.find(c.kind), std::string::npos) << why;
        EXPECT_TRUE(out.temp.empty()) << out.temp;
    }
    struct stat st;
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"dir.png", "pipe.png"}));
    EXPECT_TRUE(namesIn(dir).empty());
    std::string why;
    EXPECT_TRUE(outputNameUsable(folder + "/not-yet.png", why)) << why;
    EXPECT_TRUE(outputNameUsable(folder + "/pipe.png.txt", why)) << why;
}

TEST(OutputFile, ALinkKeepsPointingAtTheNewPicture)
{
    std::string folder = freshFolder();
    ASSERT_EQ(mkdir((folder + "/real").c_str(), 0755), 0);
    writeText(folder + "/real/pic.png", "old");
    ASSERT_EQ(symlink("real/pic.png", (folder + "/link.png").c_str()), 0);
    OutputFile out;
    std::string why;
    ASSERT_TRUE(beginOutput(folder + "/link.png", out, why)) << why;
    ASSERT_EQ(write(out.fd, "new", 3), 3);
    ASSERT_TRUE(commitOutput(out, why)) << why;
    struct stat st;
    ASSERT_EQ(lstat((folder + "/link.png").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readAll(folder + "/real/pic.png"), "new");
    EXPECT_EQ(namesIn(folder + "/real"), std::vector<std::string>{"pic.png"});
}

TEST(OutputFile, MissingFolderSaysWhichName)
{
    std::string folder = freshFolder();
    OutputFile out;
    std::string why;
    EXPECT_FALSE(beginOutput(folder + "/nope/x.png", out, why));
    EXPECT_NE(why.find(folder + "/nope/x.png: No such file"), std::string::npos) << why;
}

TEST(WritePng, FullDiskLeavesTheExistingPictureByteForByte)
{
    std::string folder = freshFolder();
    std::string name = folder + "/keep.png";
    std::vector<uint8_t> small(4 * 4 * 3, 200);
    char err[512] = "";
    ASSERT_TRUE(writePng(name.c_str(), small.data(), 4, 4, err, sizeof err)) << err;
    std::string before = readAll(name);
    ASSERT_FALSE(before.empty());
    std::vector<uint8_t> big = noisyPicture(640, 480);  // ~900 KB: does not compress
    bool written;
    {
        SizeLimit limit(64 * 1024);
        written = writePng(name.c_str(), big.data(), 640, 480, err, sizeof err);
    }
    EXPECT_FALSE(written);
    EXPECT_NE(std::string(err).find(name + ": could not write the PNG"), std::string::npos) << err;
    EXPECT_EQ(readAll(name), before);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"keep.png"});
    // Without the limit the same picture goes out whole.
    ASSERT_TRUE(writePng(name.c_str(), big.data(), 640, 480, err, sizeof err)) << err;
    EXPECT_GT(readAll(name).size(), 64u * 1024);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"keep.png"});
}

TEST(WritePng, DeviceIsRefusedAndStaysADevice)
{
    std::vector<uint8_t> rgb(4 * 4 * 3, 1);
    char err[512] = "";
    EXPECT_FALSE(writePng("/dev/full", rgb.data(), 4, 4, err, sizeof err));
    EXPECT_NE(std::string(err).find("/dev/full is a device"), std::string::npos) << err;
    struct stat st;
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}
