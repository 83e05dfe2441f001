// The Harshbloom program: control goes to the platform's application, whose
// delegate drives the host through SHIMAppMain.

#include "app_main.h"

int main(int argc, char** argv) { return HostMain(argc, argv); }
