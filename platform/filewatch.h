// Changes to the files of one folder, polled once a frame without waiting:
// a file written and closed, or moved in (how editors save), by name.
#pragma once

struct FolderWatch;

// Null, with the reason in err, when the folder can't be watched.
FolderWatch* watchFolder(const char* path, char* err, int errSize);
void stopWatching(FolderWatch* watch);
// The name (no folder) of the next file changed since the last call; false
// when none is waiting. A file saved twice may come twice.
bool nextChangedFile(FolderWatch* watch, char* name, int nameSize);
