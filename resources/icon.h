#pragma once

#include <QIcon>
#include <QPixmap>

namespace quorvel::resources {

/// Where the application icon's two images lie in the program's resources.
inline constexpr char icon16Path[] = ":/quorvel/icon-16.png";
inline constexpr char icon32Path[] = ":/quorvel/icon-32.png";

/// The application icon with its 16 x 16 and 32 x 32 images, for the windows' title bars.
QIcon applicationIcon();

/// The icon's 32 x 32 image alone.
QPixmap applicationPicture();

} // namespace quorvel::resources
