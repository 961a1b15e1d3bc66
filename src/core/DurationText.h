#pragma once

#include "Wording.h"

#include <QString>

// A span of time as people write it in a status line or a message: "47 min", "3 h 10 min",
// "2 d 6 h". Rounded to the minute below a day and to the hour above; anything under half a
// minute (a negative or unknown span too) is "under 1 min".
QString compactDuration(double seconds, Wording wording = Wording::local);

// How old figures fetched that long ago are: "as of 3 min ago", "as of just now".
QString asOfText(double secondsAgo, Wording wording = Wording::local);
