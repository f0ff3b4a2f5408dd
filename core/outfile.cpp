#include "core/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

static const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

bool outputNameUsable(const std::string& path, std::string& why)
{
    struct stat st;
    if (path.empty()) {
        why = "an empty file name";
        return false;
    }
    if (stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return true;
    why = path + " is " + kindOf(st.st_mode) + ", not a file; nothing was written to it";
    return false;
}

// Writing to a link's target keeps the link, as writing through it did.
static std::string resolvedTarget(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string target = real;
    std::free(real);
    return target;
}

// ".name.zant-PID-N.ext" beside the target: hidden, and the extension left
// last so ffmpeg picks the same format for it as for the target.
static std::string tempNameFor(const std::string& target, int attempt)
{
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    size_t dot = base.rfind('.');
    std::string ext = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    std::string stem = base.substr(0, base.size() - ext.size());
    if (stem.size() > 160)  // room for the rest inside NAME_MAX
        stem.resize(160);
    if (ext.size() > 32)
        ext.clear();
    return folder + "." + stem + ".zant-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ext;
}

bool beginOutput(const std::string& path, OutputFile& file, std::string& why)
{
    file = OutputFile{};
    if (!outputNameUsable(path, why))
        return false;
    file.target = resolvedTarget(path);
    for (int attempt = 0; attempt < 100; attempt++) {
        file.temp = tempNameFor(file.target, attempt);
        file.fd = open(file.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd >= 0 || errno != EEXIST)
            break;
    }
    if (file.fd < 0) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (stat(file.target.c_str(), &st) == 0)
        fchmod(file.fd, st.st_mode & 07777);
    return true;
}

static void closeFd(OutputFile& file)
{
    if (file.fd >= 0)
        close(file.fd);
    file.fd = -1;
}

bool commitOutput(OutputFile& file, std::string& why)
{
    bool closed = file.fd < 0 || close(file.fd) == 0;
    int closeErrno = errno;
    file.fd = -1;
    if (closed && rename(file.temp.c_str(), file.target.c_str()) == 0)
        return true;
    why = file.target + ": " + std::strerror(closed ? errno : closeErrno);
    abandonOutput(file);
    return false;
}

void abandonOutput(OutputFile& file)
{
    closeFd(file);
    if (!file.temp.empty())
        unlink(file.temp.c_str());
    file.temp.clear();
}
