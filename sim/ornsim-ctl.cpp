// ornsim-ctl: steers a running virtual board through its state file.
#include <cstdio>

#include "instance.h"

int main(int argc, char** argv) { return ornsim_impl::Control(argc, argv, stdout, stderr); }
