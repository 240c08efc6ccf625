#pragma once
// The program's version as the build found it: the project's version, and in a git checkout the
// commit, marked ".dirty" when the tree had uncommitted changes (the package carries the same).

#include <QString>

QString ProgramVersion();
