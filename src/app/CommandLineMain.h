#pragma once

// The program's command line without a window (and without a display): a
// QCoreApplication that exports, lists voices or prints help and version.
bool wantsCommandLine(int argc, char** argv);
int commandLineMain(int argc, char** argv);
