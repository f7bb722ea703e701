// What a text box shows, for tests: read from its editor inside.

#include "editor.h"
#include "runtime/qt/testing.h"
#include "textbox.h"

namespace quorvel::runtime {

QWidget* viewportOf(const TextBox& box) {
    return editorOf(box).viewport();
}

QMenu* contextMenuOf(TextBox& box) {
    TextBoxEditor& editor = editorOf(box);
    return editor.contextMenu(editor.createStandardContextMenu());
}

QRect caretRect(const TextBox& box, int position) {
    return editorOf(box).caretRect(position);
}

int positionAt(const TextBox& box, const QPoint& point) {
    return editorOf(box).positionAt(point);
}

void scrollTo(TextBox& box, int position) {
    editorOf(box).scrollTo(position);
}

QString compositionIn(const TextBox& box) {
    return editorOf(box).composition();
}

QPointF compositionMiddle(const TextBox& box) {
    return editorOf(box).compositionMiddle();
}

std::vector<LineMark> lineMarks(const TextBox& box) {
    return editorOf(box).lineMarks();
}

} // namespace quorvel::runtime
