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

QString compositionIn(const TextBox& box) {
    return editorOf(box).composition();
}

} // namespace quorvel::runtime
