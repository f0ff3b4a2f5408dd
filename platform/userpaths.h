// Where the user's files and the program itself are, as the system tells.
// A platform that can't tell answers "".
#pragma once
#include <string>

// $HOME, else the account's home folder; "" when there is none.
std::string userHome();
// The running program's file, absolute; "" when the system can't say.
std::string executablePath();
// The value of an environment variable, "" when unset.
std::string environmentValue(const char* name);
