#include "fuzz/support/FuzzScratch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace {

void Quiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "fatal: %s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

CFuzzScratch::CFuzzScratch() : m_dir(QDir::tempPath() + QStringLiteral("/ollivane-fuzz-XXXXXX")) {
    if (qEnvironmentVariableIsEmpty("OLLIVANE_FUZZ_VERBOSE")) {
        qInstallMessageHandler(Quiet);
    }
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    Check(m_dir.isValid(), "no scratch folder can be made");
}

CFuzzScratch& CFuzzScratch::Get() {
    static CFuzzScratch scratch;
    return scratch;
}

QString CFuzzScratch::Write(const QString& name, const QByteArray& bytes) const {
    const QString path = Path(name);
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
          "the scratch folder cannot be written");
    return path;
}

void CFuzzScratch::Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::fflush(stderr);
        std::abort();
    }
}
