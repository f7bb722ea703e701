#include "project.h"
#include "runtime/display.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (!quorvel::runtime::displayReachable(argc, argv))
        return 1;
    QApplication application(argc, argv);
    return quorvel::runtime::ThunRTMain(quorvel::ui::project());
}
