// The internal test's text block on the main window; the test's settings and verdict are
// portable (internal_test.h).
#pragma once

#include "vlox/measure/internal_test.h"

#include <cstdint>

// test 0..3; mode 0 show, 1 clear, 2 show the result.
void DrawInternalTest(int32_t test, int32_t mode);
