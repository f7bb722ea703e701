#pragma once

#include "runtime/program.h"

namespace quorvel::ui {

/// The program as the runtime starts it: its name and Form1 as the start-up window.
const runtime::Project& project();

} // namespace quorvel::ui
