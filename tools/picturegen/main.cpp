// picturegen: paints the show's ten default pictures into a folder, or the
// program's icon. Usage: picturegen [--force] OUTDIR [NAME...] or
// picturegen [--force] --icon SIZE OUT.png; existing files are kept unless
// --force is given.
#include "icon.h"
#include "jpegfile.h"
#include "pictures.h"
#include "pngfile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

const int jpegQuality = 90;

struct Request {
    bool force = false;
    bool help = false;
    int iconSize = 0;  // > 0: paint the icon into iconOut instead of pictures
    std::string iconOut;
    std::string outDir;
    std::vector<const PictureEntry*> pictures;
};

void printUsage(std::FILE* to)
{
    std::fprintf(to,
                 "usage: picturegen [--force] OUTDIR [NAME...]\n"
                 "       picturegen [--force] --icon SIZE OUT.png\n"
                 "Writes the named pictures (default: all) as OUTDIR/NAME.jpg,\n"
                 "or the program's icon as a SIZE x SIZE PNG (%d to %d).\n"
                 "Existing files are never replaced unless --force is given.\n"
                 "Names:",
                 iconMinSize, iconMaxSize);
    for (const PictureEntry& e : pictureTable)
        std::fprintf(to, " %s", e.name);
    std::fprintf(to, "\n");
}

const PictureEntry* findPicture(std::string name)
{
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0)
        name.resize(name.size() - 4);
    for (const PictureEntry& e : pictureTable)
        if (name == e.name)
            return &e;
    return nullptr;
}

void addOnce(std::vector<const PictureEntry*>& list, const PictureEntry* e)
{
    for (const PictureEntry* p : list)
        if (p == e)
            return;
    list.push_back(e);
}

bool parseIconSize(const char* text, int& size)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < iconMinSize || v > iconMaxSize) {
        std::fprintf(stderr, "picturegen: --icon wants a size from %d to %d, not '%s'\n", iconMinSize, iconMaxSize,
                     text);
        return false;
    }
    size = static_cast<int>(v);
    return true;
}

// Returns false (after a message) on a bad command line.
bool parseArgs(int argc, char** argv, Request& req)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--force")
            req.force = true;
        else if (a == "--help" || a == "-h")
            req.help = true;
        else if (a == "--icon") {
            if (i + 1 >= argc || !parseIconSize(argv[++i], req.iconSize))
                return false;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "picturegen: unknown option '%s'\n", a.c_str());
            return false;
        } else
            positional.push_back(a);
    }
    if (req.help)
        return true;
    if (req.iconSize > 0) {
        if (positional.size() != 1) {
            std::fprintf(stderr, "picturegen: --icon SIZE takes exactly one OUT.png\n");
            return false;
        }
        req.iconOut = positional[0];
        return true;
    }
    if (positional.empty()) {
        std::fprintf(stderr, "picturegen: missing OUTDIR\n");
        return false;
    }
    req.outDir = positional[0];
    for (size_t i = 1; i < positional.size(); ++i) {
        const PictureEntry* e = findPicture(positional[i]);
        if (!e) {
            std::fprintf(stderr, "picturegen: unknown picture '%s'\n", positional[i].c_str());
            return false;
        }
        addOnce(req.pictures, e);
    }
    if (req.pictures.empty())
        for (const PictureEntry& e : pictureTable)
            req.pictures.push_back(&e);
    return true;
}

std::string outputPath(const Request& req, const PictureEntry* e)
{
    return (std::filesystem::path(req.outDir) / (std::string(e->name) + ".jpg")).string();
}

// Checks every target before painting anything, so a refused run leaves
// the folder exactly as it was.
bool checkTargets(const Request& req)
{
    std::error_code ec;
    std::filesystem::create_directories(req.outDir, ec);
    if (ec || !std::filesystem::is_directory(req.outDir)) {
        std::fprintf(stderr, "picturegen: cannot use folder '%s': %s\n", req.outDir.c_str(),
                     ec ? ec.message().c_str() : "not a directory");
        return false;
    }
    if (req.force)
        return true;
    bool clear = true;
    for (const PictureEntry* e : req.pictures) {
        std::string path = outputPath(req, e);
        if (std::filesystem::exists(std::filesystem::symlink_status(path))) {
            std::fprintf(stderr, "picturegen: %s already exists; not replacing it (use --force)\n", path.c_str());
            clear = false;
        }
    }
    return clear;
}

bool paintAndWrite(const Request& req, const PictureEntry* e)
{
    Canvas canvas = e->paint();
    std::string path = outputPath(req, e);
    std::string error;
    if (!writeJpegFile(path, canvas.width, canvas.height, canvasToBytes(canvas), jpegQuality, req.force, error)) {
        std::fprintf(stderr, "picturegen: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("picturegen: wrote %s (%dx%d)\n", path.c_str(), canvas.width, canvas.height);
    return true;
}

int writeIcon(const Request& req)
{
    std::string error;
    if (!writePngFile(req.iconOut, req.iconSize, req.iconSize, 4, paintIcon(req.iconSize), req.force, error)) {
        std::fprintf(stderr, "picturegen: %s: %s%s\n", req.iconOut.c_str(), error.c_str(),
                     error == "already exists" ? "; not replacing it (use --force)" : "");
        return 1;
    }
    std::printf("picturegen: wrote %s (%dx%d icon)\n", req.iconOut.c_str(), req.iconSize, req.iconSize);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Request req;
    if (!parseArgs(argc, argv, req)) {
        printUsage(stderr);
        return 2;
    }
    if (req.help) {
        printUsage(stdout);
        return 0;
    }
    if (req.iconSize > 0)
        return writeIcon(req);
    if (!checkTargets(req))
        return 1;
    for (const PictureEntry* e : req.pictures)
        if (!paintAndWrite(req, e))
            return 1;
    return 0;
}
