#include "tests/support/TempDir.h"

CTempDir::CTempDir() : m_dir(QDir::tempPath() + QStringLiteral("/ollivane-test-XXXXXX")) {}
