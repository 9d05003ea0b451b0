// The windows live in a module of their own, loaded only when a run needs a window or a
// message box: a batch without a display then loads no more than Qt Core.
#pragma once

/// The name of the module's entry point, and its type.
#define SLEEVEMASTER_WINDOW_ENTRY "SleevemasterWindowMain"
extern "C" {
using SleevemasterWindowMainFn = int (*)(int argc, char** argv);
}
