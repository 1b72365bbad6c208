// Orvel 3: the program's entry. Start-up (foundation) does the work; Orvel3Main wires it to the main window.

#include "app/Orvel3Main.h"

int main(int argc, char *argv[])
{
    return Orvel3Main(argc, argv);
}
