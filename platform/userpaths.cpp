#include "platform/userpaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string environmentValue(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string userHome()
{
    std::string home = environmentValue("HOME");
    if (!home.empty())
        return home;
    // Started by a service or with a scrubbed environment.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "";
}

std::string executablePath()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? "" : exe.string();
}
