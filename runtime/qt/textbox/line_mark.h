#pragma once

// A faint mark after a visible line whose break counts as a character, as the editor draws it.

#include <QPointF>
#include <QString>

namespace quorvel::runtime {

struct LineMark {
    QPointF at; ///< where it is drawn in the viewport
    QString mark;
    int block, line; ///< the line: the block, and the line within it
};

} // namespace quorvel::runtime
