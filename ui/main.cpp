#include "project.h"

int main(int argc, char* argv[]) {
    return quorvel::runtime::start(argc, argv, quorvel::ui::project());
}
