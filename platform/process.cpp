#include "platform/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

bool programOnPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// In the child, before exec: only async-signal-safe calls.
[[noreturn]] static void becomeProgram(int readEnd, const std::vector<const char*>& argv)
{
    dup2(readEnd, 0);
    // Its own group: a terminal sends Ctrl+C to the whole foreground group,
    // and a program that stops on it (ffmpeg does, whatever it inherits)
    // would cut the file short before we could finish it.
    setpgid(0, 0);
    // Failing to lower the priority only costs speed.
    [[maybe_unused]] int niceness = nice(10);
    execvp(argv[0], (char* const*)argv.data());
    _exit(127);
}

bool startPipedProgram(const std::vector<std::string>& args, size_t pipeBytes, PipedProgram* program, std::string& why)
{
    if (args.empty()) {
        why = "no program named";
        return false;
    }
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return false;
    }
    pid_t pid = fork();
    if (pid < 0) {
        why = std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0)
        becomeProgram(fds[0], argv);
    // Also from here, so the group exists before any Ctrl+C can arrive
    // (whichever of the two runs first makes it; the other may fail).
    setpgid(pid, pid);
    close(fds[0]);
    fcntl(fds[1], F_SETPIPE_SZ, (int)pipeBytes);
    program->id = pid;
    program->input = fds[1];
    return true;
}

bool writeToProgram(PipedProgram& program, const uint8_t* p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(program.input, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= (size_t)w;
    }
    return true;
}

bool finishProgram(PipedProgram& program)
{
    if (program.input >= 0)
        close(program.input);
    program.input = -1;
    if (program.id < 0)
        return false;
    int status = 0;
    while (waitpid((pid_t)program.id, &status, 0) < 0 && errno == EINTR) { }
    program.id = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
