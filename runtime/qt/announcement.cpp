// A label's new caption, told to screen readers as an announcement.

#include "runtime/qt/widgets/controls.h"
#include "runtime/toolkit.h"
#include "strings.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace quorvel::runtime {

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
namespace {
// Qt before 6.8 has no announcement, and its changes of a name or a description reach a screen
// reader without their text. What Orca (43) does speak as it comes is a notification being shown:
// this widget, of no size and painting nothing, over the label, whose accessible role is a
// notification named what is to be told.
const QString notificationName = QStringLiteral("quorvel.notification");

QAccessibleInterface* notificationInterface(const QString&, QObject* object) {
    return object->isWidgetType() && object->objectName() == notificationName
        ? new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification)
        : nullptr;
}

void notify(Label& label, const QString& text) {
    static const bool installed = (QAccessible::installFactory(notificationInterface), true);
    static_cast<void>(installed);
    auto* notification = label.findChild<QWidget*>(notificationName, Qt::FindDirectChildrenOnly);
    if (!notification) {
        notification = new QWidget(&label);
        notification->setObjectName(notificationName);
        notification->setAttribute(Qt::WA_TransparentForMouseEvents);
        notification->resize(0, 0);
    }
    notification->hide();
    notification->setAccessibleName(text);
    notification->show(); // stays shown, unseen, until the next
}
} // namespace
#endif

void toolkit::announce(void* label, std::u16string_view caption) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // AT-SPI's Object:Announcement, which Orca 46 and later speaks.
    QAccessibleAnnouncementEvent announcement(static_cast<Label*>(label), toQString(caption));
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&announcement);
#else
    notify(*static_cast<Label*>(label), toQString(caption));
#endif
}

} // namespace quorvel::runtime
