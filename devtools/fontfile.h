// Where the status overlay's font comes from: fontconfig's closest match to a
// black-weight Arial natively, the site's own font file in a browser.
#pragma once
#include <string>

// The font file's path; empty if there is none.
std::string findFontFile();
