#include "app/datafolder.h"

#include "platform/userpaths.h"

DataSearchInputs currentDataSearchInputs()
{
    DataSearchInputs in;
    in.xdgDataHome = environmentValue("XDG_DATA_HOME");
    in.home = userHome();
    in.exePath = executablePath();
    return in;
}
