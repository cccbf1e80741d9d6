// Runs a fuzz target without libFuzzer (for compilers that have none): every file of the seed
// corpus, then inputs made from them by random changes, for a number of runs or seconds.
//   fuzz_x CORPUS_FOLDER [-runs=N] [-max_total_time=SECONDS] [-seed=N]
// Prints the executions; a fault in the target ends the process as it would under libFuzzer.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QByteArray mutate(const std::vector<QByteArray>& corpus, std::mt19937_64& random)
{
    QByteArray input = corpus.empty() ? QByteArray() : corpus[random() % corpus.size()];
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes; ++i) {
        const qsizetype at = input.isEmpty() ? 0 : qsizetype(random() % size_t(input.size()));
        switch (random() % 6) {
        case 0: // flip bits of a byte
            if (!input.isEmpty())
                input[at] = char(input[at] ^ char(1 << (random() % 8)));
            break;
        case 1: // a random byte in
            input.insert(at, char(random() % 256));
            break;
        case 2: // a piece out
            input.remove(at, qsizetype(random() % 16));
            break;
        case 3: // a piece repeated
            input.insert(at, input.mid(at, qsizetype(random() % 64)));
            break;
        case 4: // an interesting byte
            if (!input.isEmpty()) {
                static const char special[] = {'\0', '\r', '\n',   ';',    '"',    '\\',   '{',
                                               '[',  '=',  '\xff', '\xef', '\xbb', '\xbf', '%'};
                input[at] = special[random() % sizeof(special)];
            }
            break;
        default: // a piece of another input spliced in
            if (!corpus.empty()) {
                const QByteArray& other = corpus[random() % corpus.size()];
                if (!other.isEmpty()) {
                    const qsizetype from = qsizetype(random() % size_t(other.size()));
                    input.insert(at, other.mid(from, qsizetype(random() % 128)));
                }
            }
            break;
        }
    }
    return input;
}

long long option(int argc, char** argv, const char* name, long long fallback)
{
    const size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0)
            return std::atoll(argv[i] + length);
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<QByteArray> corpus;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        const QDir folder(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                corpus.push_back(file.readAll());
        }
    }
    // Whichever limit comes first ends the run.
    const long long runs = option(argc, argv, "-runs=", 10000);
    const long long seconds = option(argc, argv, "-max_total_time=", 0);
    std::mt19937_64 random(std::uint64_t(option(argc, argv, "-seed=", 1)));

    QElapsedTimer clock;
    clock.start();
    long long executions = 0;
    for (const QByteArray& input : corpus) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
        ++executions;
    }
    for (long long run = 0; run < runs; ++run) {
        if (seconds > 0 && clock.elapsed() > seconds * 1000)
            break;
        const QByteArray input = mutate(corpus, random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
        ++executions;
    }
    std::printf("executions: %lld in %lld ms, corpus %zu\n", executions,
                static_cast<long long>(clock.elapsed()), corpus.size());
    return 0;
}
