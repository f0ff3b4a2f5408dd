// Other programs run as children that read what we write to them (the video
// encoder and scaler). A platform that cannot start programs answers no to
// programOnPath and fails startPipedProgram with "not available here".
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PipedProgram {
    long id = -1;    // the running child, -1 when none
    int input = -1;  // our end of its standard input
};

// True when an executable of that name is on the search path.
bool programOnPath(const char* name);
// Starts argv[0] with its standard input on a pipe that holds at least
// pipeBytes where the system allows, below our priority (it takes the cycles
// we leave), and in a process group of its own: a terminal's Ctrl+C reaches
// only us, and we end it by closing the pipe. False with the reason in why.
bool startPipedProgram(const std::vector<std::string>& argv, size_t pipeBytes, PipedProgram* program, std::string& why);
// False once the program stopped reading.
bool writeToProgram(PipedProgram& program, const uint8_t* data, size_t bytes);
// Closes its input and waits for it: true when it ended with status 0.
bool finishProgram(PipedProgram& program);
