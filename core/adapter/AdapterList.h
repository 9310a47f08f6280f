#pragma once
#include "core/adapter/linux/I2cDevSystem.h"

#include <string>

namespace tp {

// The adapters a user can choose, one a line: the bench, then each bus as
// `i2cdetect -l` shows it. What `tallyport --list-adapters` and
// `tallyport-cli adapters` print.
std::string adapterListText(const linuxi2c::Environment& env);

} // namespace tp
