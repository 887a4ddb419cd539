#pragma once
// The built-in logo sent by the Default button: a diamond mark and the word
// "LUMETRA" over a broken rule, in the upper middle of the panel.

#include "panelo/lcd/LcdBitmap.h"

namespace orvane::panelo {

const LcdPageImage& BuiltInLogo();

}   // namespace orvane::panelo
