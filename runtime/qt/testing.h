#pragma once

// For tests only: what the Qt toolkit lets a test see or stand in for. The program itself never
// includes this header.

#include <functional>
#include <memory>

class QMimeData;

namespace quorvel::runtime {

class IncomingText;

/// From now on, a paste for which `start` gives a text on its way takes that text as another
/// program's transfer, which the test finishes itself; null (or a start that gives null): as the
/// program does.
void setTransferForTests(std::function<std::shared_ptr<IncomingText>(const QMimeData&)> start);
/// Whether a paste is on its way.
bool pasteOnItsWay();
/// How many times the system's beep has sounded since the last call.
int takeBeeps();

} // namespace quorvel::runtime
