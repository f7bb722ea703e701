#include "icon.h"

namespace quorvel::resources {

QIcon applicationIcon() {
    QIcon icon;
    icon.addFile(QString::fromLatin1(icon16Path), QSize(16, 16));
    icon.addFile(QString::fromLatin1(icon32Path), QSize(32, 32));
    return icon;
}

QPixmap applicationPicture() {
    return QPixmap(QString::fromLatin1(icon32Path));
}

} // namespace quorvel::resources
