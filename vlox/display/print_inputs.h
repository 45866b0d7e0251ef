// The printed page's inputs gathered from the review as it stands: the reading shown (its tag,
// values and parameters), the station's readings and averages the last selection read, the
// profile, the scale of the settings. Reads only; the review state is left as it was found.
#pragma once

#include "vlox/display/print_layout.h"

#include <string>

PrintPageInputs GatherReviewPageInputs(const PrintDeviceCaps& caps, const WideString& fileTitle);
