#pragma once

#include "commandline.h"

struct AppFolders;
class QTextStream;

// Runs what the command line asks for without a window: --render, --check, --version, --help,
// or reports a mistaken command line. Results go to `out`, problems to `err`, in Portuguese.
// Returns the exit status: 0 on success; 1 when the scene, a model or the figure failed, or the
// check found problems; 2 for a mistaken command line.
int runHeadless(const CommandLine& line, const AppFolders& folders, QTextStream& out,
                QTextStream& err);
