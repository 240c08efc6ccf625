// The main of a fuzz target outside libFuzzer: feeds every file of the folders it is given to the
// target once, so the seed corpus and the inputs that once crashed it stay tested in every build.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER [MORE_FOLDERS...]\n", argv[0]);
        return 2;
    }
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QDir folder(QString::fromLocal8Bit(argv[i]));
        if (!folder.exists()) {
            // The seed corpus must be there; a target may not have crashed yet.
            if (i == 1) {
                std::fprintf(stderr, "%s: no such folder\n", argv[i]);
                return 1;
            }
            continue;
        }
        const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QFileInfo& info : files) {
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: cannot be read\n", qPrintable(info.filePath()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::printf("%s (%lld bytes)\n", qPrintable(info.filePath()),
                        static_cast<long long>(bytes.size()));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
