// The whole show on both paths: every timeline row and every golden still's
// time drawn by the desktop GL and by the OpenGL ES layer on llvmpipe, with
// the status overlay and band meter off and on. Each path runs in its own
// child process (each starts the show once, as the program does); this
// process only compares. At each time at least 99.9 % of the pixels must be
// within 2 per channel of the desktop picture, and none more than 16 off (a
// polygon edge a pixel apart, spread by the smear, is far more than that).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/headless.h"
#include "bench/timeline_rows.h"
#include "core/datapath.h"
#include "core/frame.h"
#include "devtools/text.h"
#include "music/music.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "tests/support/gl_fixture.h"

namespace {

const size_t FRAME_BYTES = (size_t)FRAME_WIDTH * FRAME_HEIGHT * 3;

std::vector<double> showTimes()
{
    std::vector<double> times;
    for (const Row& row : rows)
        times.push_back(row.from + 0.37 * (row.to - row.from));
    for (double golden : {3.0, 7.3, 10.45, 12.7, 14.6, 18.1, 23.25})
        times.push_back(golden);
    return times;
}

// The overlay's third line names the GL version, which the two paths answer
// differently ("4.5" and "3.2" on this machine): that number is left out of
// the comparison, nothing else. In pixels, bottom row 0.
struct Box {
    int x0, y0, x1, y1;
};

// Where this path's version number lies in the line the overlay just drew
// (drawStatusLine: origin (0.4, 0.075) of the 0..1 screen, 0.025 per em,
// the line centred by drawText).
Box versionNumberBox()
{
    char lines[3][STATUS_LINE_SIZE];
    formatStatusLines((float)songTime(), 0.0, lines);
    const char* line = lines[2];
    const char* number = std::strchr(line, ':') + 1;
    const char* after = std::strchr(number, ' ');
    std::string prefix(line, number), through(line, after);
    float offset = 0.075f * (float)std::strlen(line) - 0.5f * textWidth(line);
    auto screenX = [offset](float em) { return (0.4f + 0.025f * (offset + em)) * FRAME_WIDTH; };
    return Box{(int)screenX(textWidth(prefix.c_str())) - 2, (int)((0.075f - 0.01f) * FRAME_HEIGHT),
               (int)screenX(textWidth(through.c_str())) + 2, (int)((0.075f + 0.03f) * FRAME_HEIGHT)};
}

// In the child: start the show on one path, draw every time without and with
// the overlay and band meter, and write the frames and the box to out.
int drawPath(bool gles, const char* out)
{
    glesRequested = gles;
    dataDir = ZANT_BINARY_DIR "/data";
    if (!headlessStartup())
        return 3;
    FILE* f = std::fopen(out, "wb");
    if (!f)
        return 4;
    for (double t : showTimes()) {
        drawFrameAt(t);
        std::vector<uint8_t> plain = readPixelsRgb(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
        drawStatusOverlay((float)songTime(), songMillis());
        drawBandMeter((float)songTime(), songMillis());
        glFinish();
        std::vector<uint8_t> overlaid = readPixelsRgb(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
        if (glGetError() != GL_NO_ERROR)
            return 5;
        Box box = versionNumberBox();
        std::fwrite(plain.data(), 1, FRAME_BYTES, f);
        std::fwrite(overlaid.data(), 1, FRAME_BYTES, f);
        std::fwrite(&box, sizeof box, 1, f);
    }
    return std::fclose(f) == 0 ? 0 : 4;
}

bool runChild(bool gles, const std::string& out, std::string& why)
{
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0)
        _exit(drawPath(gles, out.c_str()));
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = std::string(gles ? "OpenGL ES" : "desktop") + " child failed, status " + std::to_string(status);
        return false;
    }
    return true;
}

struct Stats {
    double within2 = 0;
    int worst = 0;
    long over16 = 0;
    long histogram[4] = {};  // 0, 1, 2, more
};

Stats compareFrames(const uint8_t* a, const uint8_t* b, const Box* skip, std::vector<uint8_t>* diff)
{
    Stats s;
    long n = (long)FRAME_WIDTH * FRAME_HEIGHT, close = 0;
    for (long p = 0; p < n; p++) {
        int x = (int)(p % FRAME_WIDTH), y = (int)(p / FRAME_WIDTH);
        int d = 0;
        for (int k = 0; k < 3; k++)
            d = std::max(d, std::abs((int)a[p * 3 + k] - (int)b[p * 3 + k]));
        if (diff)
            for (int k = 0; k < 3; k++)
                (*diff)[p * 3 + k] = (uint8_t)std::min(255, d * 16);
        if (skip && x >= skip->x0 && x <= skip->x1 && y >= skip->y0 && y <= skip->y1)
            d = 0;
        close += d <= 2;
        s.worst = std::max(s.worst, d);
        s.over16 += d > 16;
        s.histogram[std::min(d, 3)]++;
    }
    s.within2 = 100.0 * close / n;
    return s;
}

std::vector<uint8_t> readAll(const std::string& path)
{
    std::vector<char> bytes = readFileBytes(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

TEST(GlesPictures, EveryRowMatchesTheDesktopPicture)
{
    std::string dir = ZANT_BINARY_DIR;
    std::string desktopFile = dir + "/gles_pictures_desktop.raw", esFile = dir + "/gles_pictures_es.raw";
    std::string why;
    ASSERT_TRUE(runChild(false, desktopFile, why)) << why;
    ASSERT_TRUE(runChild(true, esFile, why)) << why;
    std::vector<uint8_t> desktop = readAll(desktopFile), es = readAll(esFile);
    std::vector<double> times = showTimes();
    const size_t record = 2 * FRAME_BYTES + sizeof(Box);
    ASSERT_EQ(desktop.size(), times.size() * record);
    ASSERT_EQ(es.size(), times.size() * record);
    double worstShare = 101.0;
    const uint8_t* worst[2] = {nullptr, nullptr};
    for (size_t i = 0; i < times.size() * 2; i++) {
        bool overlay = i % 2 == 1;
        size_t at = (i / 2) * record + (overlay ? FRAME_BYTES : 0);
        const uint8_t* a = &desktop[at];
        const uint8_t* b = &es[at];
        Box box, other;
        std::memcpy(&box, &desktop[(i / 2) * record + 2 * FRAME_BYTES], sizeof box);
        std::memcpy(&other, &es[(i / 2) * record + 2 * FRAME_BYTES], sizeof other);
        box = Box{std::min(box.x0, other.x0), std::min(box.y0, other.y0), std::max(box.x1, other.x1),
                  std::max(box.y1, other.y1)};
        Stats s = compareFrames(a, b, overlay ? &box : nullptr, nullptr);
        std::printf("t %6.3f %-7s within 2: %8.4f %%  worst %3d  over 16: %ld  (0: %ld, 1: %ld, 2: %ld, 3+: %ld)\n",
                    times[i / 2], overlay ? "overlay" : "plain", s.within2, s.worst, s.over16, s.histogram[0],
                    s.histogram[1], s.histogram[2], s.histogram[3]);
        EXPECT_GE(s.within2, 99.9) << "t " << times[i / 2] << (overlay ? " with overlay" : "");
        EXPECT_EQ(s.over16, 0) << "t " << times[i / 2] << (overlay ? " with overlay" : "");
        if (s.within2 < worstShare) {
            worstShare = s.within2;
            worst[0] = a;
            worst[1] = b;
        }
    }
    // The worst time's difference (16 times magnified) and both pictures, to look at.
    std::vector<uint8_t> diff(FRAME_BYTES);
    compareFrames(worst[0], worst[1], nullptr, &diff);
    writePngRgb((dir + "/gles_worst_diff.png").c_str(), diff, FRAME_WIDTH, FRAME_HEIGHT);
    writePngRgb((dir + "/gles_worst_desktop.png").c_str(), std::vector<uint8_t>(worst[0], worst[0] + FRAME_BYTES),
                FRAME_WIDTH, FRAME_HEIGHT);
    writePngRgb((dir + "/gles_worst_es.png").c_str(), std::vector<uint8_t>(worst[1], worst[1] + FRAME_BYTES),
                FRAME_WIDTH, FRAME_HEIGHT);
    std::remove(desktopFile.c_str());
    std::remove(esFile.c_str());
}
