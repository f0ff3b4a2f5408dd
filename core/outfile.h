// Files the user names for output (stills, videos, frames, screenshots):
// each is written under a temporary name in the same folder and renamed over
// the name only once complete, so a failed write never harms what the name
// held before, and a name that is not a regular file is never written at all.
#pragma once
#include <string>

struct OutputFile {
    std::string target;  // the name asked for; a link's target when it names a link
    std::string temp;    // written meanwhile, beside the target; keeps its extension
    int fd = -1;         // open on temp; a writer that takes it over sets it to -1
};

// False with the reason in why when the name exists and is not a regular
// file (a device, a folder, a pipe): such a name is refused before anything
// is written. A name that does not exist yet is fine.
bool outputNameUsable(const std::string& path, std::string& why);
// Checks the name and creates an empty temporary file for it, with the
// permissions the file it replaces has (or a new file's). False with the
// reason in why; then nothing exists to clean up.
bool beginOutput(const std::string& path, OutputFile& file, std::string& why);
// Closes fd if still open and renames the temporary file over the target.
// False with the reason in why; the temporary file is then removed.
bool commitOutput(OutputFile& file, std::string& why);
// Closes fd if still open and removes the temporary file, and only it.
void abandonOutput(OutputFile& file);
