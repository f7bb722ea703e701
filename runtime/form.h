#pragma once

// A form: one window of the program, built by the runtime from its design. The form object lives
// on while its window comes and goes: Show() loads the window (building its controls and running
// Form_Load) when it is not loaded, and Unload() closes it and discards its controls.

#include "design.h"
#include "core/errors.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <string_view>
#include <vector>

namespace quorvel::runtime {

class Form {
public:
    explicit Form(const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    /// Loads the window if needed, shows it and brings it to the front; returns at once.
    void Show();
    /// Closes the window and discards its controls; the next Show() loads it afresh.
    void Unload();
    bool isLoaded() const { return !window_.isNull(); }
    /// The on-screen window while loaded, else null.
    QWidget* window() const { return window_; }

protected:
    /// Runs each time the window is loaded, before it is shown.
    virtual void Form_Load() { }

    /// Makes handler the click event of the control or menu item called name.
    void onClick(std::string_view name, std::function<void()> handler);

    /// The control called name; refers to the window, so loads it if needed.
    template <typename Control> Control& control(std::string_view name) {
        auto* found = dynamic_cast<Control*>(find(name));
        if (!found)
            raise(ErrorNumber::Internal);
        return *found;
    }

private:
    void load();
    QWidget* buildControl(const ControlDesign& design, QWidget* client);
    void connectClick(QObject* sender, std::string_view name);
    QObject* find(std::string_view name);

    const FormDesign& design_;
    QPointer<QWidget> window_;
    std::vector<std::pair<std::string_view, std::function<void()>>> clickHandlers_;
};

} // namespace quorvel::runtime
