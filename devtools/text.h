// Extruded outline glyphs and the status overlay drawn with them.
#pragma once

void createOutlineFont();
void drawText(const char* text);
void drawStatusOverlay(float songTime, int songMillis);
