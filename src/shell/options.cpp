#include "options.h"

namespace Options {

void LoadSettings() {}

} // namespace Options
