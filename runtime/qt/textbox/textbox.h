#pragma once

// A multi-line text box that holds exactly the UTF-16 code units the user entered: what the windows
// (ui/) and the window that builds it need, and no more.
//
// What the box does to its text is its text control (text_control.h): every insertion goes
// through the control's one insertion path. Qt's editor, which shows the text and takes the
// user's input, is kept inside (editor.h): no code outside can reach its own ways to set the
// text, its document or its cursor. It has the box's focus, and events sent to the box go to it.

#include "runtime/design.h"
#include "text_control.h"

#include <QString>
#include <QStringView>
#include <QWidget>

namespace quorvel::runtime {

class TextBoxEditor;

class TextBox : public QWidget {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::TextBox;
    explicit TextBox(QWidget* parent = nullptr);

    /// What the windows read and write: the exact text, as the control holds it. Setting it
    /// replaces the whole text as one undo step, leaving the caret at the start.
    QString text() const;
    void setText(const QString& text);
    void setText(QStringView text) { setText(text.toString()); }

    /// What the box does to its text.
    TextControl& control() const;

protected:
    bool event(QEvent* event) override;

private:
    friend TextBoxEditor& editorOf(const TextBox& box);
    TextBoxEditor* editor_;
    TextControl* control_; // the editor's
    QEvent* passedOn_ = nullptr; // an event the editor did not take, on its way to the window
};

/// The editor inside a box (editor.h), for the box's own folder and the test probes.
TextBoxEditor& editorOf(const TextBox& box);

} // namespace quorvel::runtime
