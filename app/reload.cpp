#include "app/reload.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/datapath.h"
#include "core/errors.h"
#include "music/music.h"
#include "platform/filewatch.h"
#include "texture/assets.h"

static const char* const SOUNDTRACK = "tunemix.mp3";

struct Reload {
    FolderWatch* watch = nullptr;
};
static Reload reload;

void reloadData()
{
    int pictures = 0;
    for (int i = 0; i < PICTURE_COUNT; i++)
        pictures += reloadPicture(i) ? 1 : 0;
    bool song = reloadMusic(dataPath(SOUNDTRACK).c_str());
    logMessage(LOG_INFO, "reloaded %d of %d pictures and %s from %s", pictures, PICTURE_COUNT,
               song ? "the soundtrack" : "not the soundtrack", dataDir.c_str());
}

bool startDataWatch()
{
    char err[256] = "";
    std::string folder = dataDir.empty() ? "." : dataDir;
    reload.watch = watchFolder(folder.c_str(), err, sizeof err);
    if (!reload.watch) {
        warning("cannot watch %s for changes (%s); press r to reload", folder.c_str(), err);
        return false;
    }
    return true;
}

// A save often comes as several events (written, then moved in, or twice
// over): each file is read once per frame however many arrived.
void pollDataWatch()
{
    if (!reload.watch)
        return;
    bool picture[PICTURE_COUNT] = {};
    bool song = false;
    char name[256];
    while (nextChangedFile(reload.watch, name, sizeof name)) {
        if (std::strcmp(name, SOUNDTRACK) == 0)
            song = true;
        for (int i = 0; i < PICTURE_COUNT; i++)
            if (std::strcmp(name, pictureFile(i)) == 0)
                picture[i] = true;
    }
    for (int i = 0; i < PICTURE_COUNT; i++)
        if (picture[i] && reloadPicture(i))
            logMessage(LOG_INFO, "reloaded %s", dataPath(pictureFile(i)).c_str());
    if (song && reloadMusic(dataPath(SOUNDTRACK).c_str()))
        logMessage(LOG_INFO, "reloaded %s", dataPath(SOUNDTRACK).c_str());
}

void stopDataWatch()
{
    stopWatching(reload.watch);
    reload.watch = nullptr;
}
