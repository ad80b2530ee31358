#include "frame_drawing.h"

#include "note_geometry.h"

COLORREF ShadeColour(COLORREF colour)
{
    return (COLORREF)DarkenColour((uint32_t)colour);
}
