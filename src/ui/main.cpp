// hesapkar Path=DIR [/KAPAT] [/DUZENLE] [/AKTAR]: the desktop program.
#include "ui/shell/startup.h"

int main(int argc, char** argv) { return hk::ui::runDesktop(argc, argv); }
