#include "views/PinColours.h"

#include "views/ColourScheme.h"

QColor PinColour(int index)
{
    return TColourScheme::Light().Pin(index);
}
