#pragma once

// The on-screen window of a form over Qt: a main window whose client area holds the controls,
// built from the form's design. Its close box unloads the form; Enter and Esc that no control took
// press the default and the cancel button. Destroyed without Unload, it tells its form.

#include <QAbstractButton>
#include <QMainWindow>
#include <QPointer>

namespace quorvel::runtime {

class Form;

class Window : public QMainWindow {
    Q_OBJECT
public:
    explicit Window(Form& form);
    ~Window() override;
    /// Unloaded: the form no longer hears of this window.
    void forgetForm() { form_ = nullptr; }

    QPointer<QAbstractButton> defaultButton, cancelButton;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Form* form_;
};

} // namespace quorvel::runtime
