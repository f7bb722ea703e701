#pragma once

// For tests only: the error report answered as a user would. The program itself never includes
// this header.

#include "base/errors.h"

#include <vector>

namespace quorvel::runtime {

/// Answers the next error report at once with OK, as a user would, instead of showing its message
/// box. Each call answers one report; without one, the report shows its box and waits.
void answerNextReport();
/// The errors whose reports were answered beforehand, oldest first. Forgets them, and any answer
/// not used yet.
std::vector<ErrorNumber> takeAnsweredReports();

} // namespace quorvel::runtime
