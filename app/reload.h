// Reading the data folder again while the show runs, so an artist sees a
// saved picture or hears a new mix without a restart: all of it by key, or
// each file by itself as it changes (--watch).
#pragma once

// The ten pictures and the soundtrack, at the same song position; whatever
// fails to load keeps the old one, with a warning. Never ends the show.
void reloadData();
// Watches the data folder for saved files; false, with a warning, when it
// can't.
bool startDataWatch();
// Reloads the files changed since the last call; once per frame.
void pollDataWatch();
void stopDataWatch();
