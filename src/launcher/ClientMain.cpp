// `tovik-client`: what `tovik` (main.cpp) becomes for a command. While the
// desktop app runs, most commands are handed to it, and starting the whole
// program for each of them (Qt's widgets and over seventy shared libraries
// to load) would cost several times what the app needs to run one. This
// small client, with Qt Core and Network alone, asks the running app first
// and hands everything else to the whole program (TOVIK_APP_NAME), which it
// starts in its own place: same process, arguments, environment and
// standard streams.
#include "app/SingleInstance.h"
#include "launcher/ProgramPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Standard input already read for the app goes to the whole program as a
// file of its own, read from its start.
bool replaceStandardInput(const QByteArray& input) {
    const int fd = ::memfd_create("tovik-input", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    qsizetype written = 0;
    while (written < input.size()) {
        const ssize_t n = ::write(fd, input.constData() + written, size_t(input.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        written += n;
    }
    const bool replaced = ::lseek(fd, 0, SEEK_SET) == 0 && ::dup2(fd, STDIN_FILENO) == STDIN_FILENO;
    ::close(fd);
    return replaced;
}

[[noreturn]] void runWholeProgram(char** argv, const std::optional<QByteArray>& input) {
    if (input && !replaceStandardInput(*input)) {
        std::fprintf(stderr, "tovik: cannot pass on standard input: %s\n", std::strerror(errno));
        std::_Exit(1);
    }
    char program[PATH_MAX];
    programPath(TOVIK_APP_NAME, program);
    ::execv(program, argv);
    std::fprintf(stderr, "tovik: cannot start %s: %s\n", program, std::strerror(errno));
    std::_Exit(127);
}

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        written += n;
    }
}

// Only the command's own answer is printed; Qt's notes are not part of it.
void keepQtQuiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv) {
    // Without arguments the desktop app starts (or shows the running one);
    // help changes nothing and must not wait for standard input.
    bool help = false;
    for (int i = 1; i < argc; ++i)
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    if (argc < 2 || help)
        runWholeProgram(argv, std::nullopt);
    qInstallMessageHandler(keepQtQuiet);
    QCoreApplication app(argc, argv);
    SingleInstance::Request request;
    for (int i = 1; i < argc; ++i)
        request.arguments.append(QString::fromLocal8Bit(argv[i]));
    request.folder = QDir::currentPath();
    // Without a working folder (removed meanwhile) the app could not tell
    // this request from one whose paths are resolved already.
    if (request.folder.isEmpty())
        runWholeProgram(argv, std::nullopt);
    // The whole program reads standard input for a command named with "-"
    // and for nothing else handed over; the same rule holds here.
    std::optional<QByteArray> input;
    if (request.arguments.contains(QStringLiteral("-"))) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tovik: cannot read standard input\n");
            return 1;
        }
        input = in.readAll();
        request.input = *input;
    }
    const std::optional<SingleInstance::Reply> reply =
        SingleInstance::handOver(SingleInstance::defaultSocketPath(), request);
    if (!reply || reply->declined)
        runWholeProgram(argv, input);
    writeAll(STDOUT_FILENO, reply->out);
    writeAll(STDERR_FILENO, reply->err);
    return reply->status;
}
