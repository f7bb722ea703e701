#include "project.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    return quorvel::runtime::ThunRTMain(quorvel::ui::project());
}
