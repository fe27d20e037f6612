// Brenwick: the conventional-line dialer, or its banner ("--banner").
#include "BrenwickStart.h"

#include "platform/Application.h"

int WinMain() { return StartProgram(BrenwickStart(ParamStr(1))); }

int main(int argc, char** argv) { return RunProgramMain(argc, argv, WinMain); }
