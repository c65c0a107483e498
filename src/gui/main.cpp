#include "gui/programmer.h"

int main(int argc, char** argv) {
    return kpx::gui::RunProgrammer(argc, argv);
}
