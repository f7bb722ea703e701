#include "user_actions.h"

#include "composition_guard.h"
#include "pending_paste.h"

#include <QCoreApplication>
#include <QPointer>

namespace quorvel::runtime::input {

namespace {
class UserActions : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (PendingPaste::settledBy(*event))
            PendingPaste::settle();
        CompositionGuard::see(watched, *event);
        return false;
    }
};

QPointer<UserActions> watching;
} // namespace

void watchUserActions() {
    if (watching)
        return;
    QCoreApplication* application = QCoreApplication::instance();
    watching = new UserActions(application);
    application->installEventFilter(watching);
}

} // namespace quorvel::runtime::input
