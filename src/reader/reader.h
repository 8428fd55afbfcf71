// The element file reader: takes the interchange file fp record by record into program state
// and copies its comment and "bz" lines to the command file fpw.
#pragma once

// Reads fp to its end or to limit pieces; jd_xmax, the driver's count, only shows in the
// level-3 trace. Always returns 0.
int QV_PATTERN(unsigned jd_xmax, unsigned limit);
