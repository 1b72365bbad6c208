#pragma once

// The program Orvel3 as a whole: the application object, start-up wired to the main window, the event
// loop and the end. Returns the process's exit code. The executable's entry calls it; a test runs it in a
// child process of its own after pointing the program at its sandbox.
int Orvel3Main(int &argc, char **argv);
