// The data folder search's inputs as this system gives them.
#pragma once
#include "core/datadirs.h"

// $XDG_DATA_HOME, the user's home and the program's own file, from the
// platform.
DataSearchInputs currentDataSearchInputs();
