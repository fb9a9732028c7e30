#include "HelperApplication.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A label that starts a drag of one file when pulled.
class DragHandle : public QLabel {
public:
    DragHandle(const QString& path) : QLabel(u"drag me"_s), path(path) {
        setFixedHeight(60);
        setAlignment(Qt::AlignCenter);
        setStyleSheet(u"background: #ddeeff;"_s);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { pressedAt = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || path.isEmpty() ||
            (event->position().toPoint() - pressedAt).manhattanLength() < 10)
            return;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(path)});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::MoveAction);
    }

private:
    QString path;
    QPoint pressedAt;
};

// A second small window that takes any drop and reports on standard output
// what it was given: one line "dropped" followed by a JSON object.
class DropWell : public QLabel {
public:
    DropWell() : QLabel(u"drop here"_s) {
        setAcceptDrops(true);
        setAlignment(Qt::AlignCenter);
        setStyleSheet(u"background: #ffeedd;"_s);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        const QMimeData* data = event->mimeData();
        QJsonArray urls;
        for (const QUrl& url : data->urls())
            urls.append(url.toString());
        QJsonObject report{{u"urls"_s, urls}, {u"text"_s, data->text()}};
        if (data->hasFormat(u"application/x-kde-suggestedfilename"_s))
            report.insert(u"suggestedName"_s,
                          QString::fromUtf8(data->data(u"application/x-kde-suggestedfilename"_s)));
        event->acceptProposedAction();
        std::printf("dropped %s\n",
                    QJsonDocument(report).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
    }
};

int runHelper() {
    int argc = 1;
    char name[] = "tovik_test_helper";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QString::fromLatin1(HelperApplication::windowTitle));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* handle = new DragHandle(qEnvironmentVariable("TOVIK_HELPER_DRAG_FILE"));
    layout->addWidget(handle);
    auto* field = new QLineEdit;
    layout->addWidget(field);
    layout->addStretch(1);
    window.setGeometry(HelperApplication::dragX - 100, HelperApplication::dragY - 30, 200, 200);
    window.show();
    DropWell well;
    well.setWindowTitle(QString::fromLatin1(HelperApplication::windowTitle) + u" drop"_s);
    well.setGeometry(HelperApplication::dropX - 100, HelperApplication::dropY - 50, 200, 100);
    well.show();
    window.activateWindow();
    field->setFocus();
    if (!QTest::qWaitForWindowActive(&window, 5000))
        std::fprintf(stderr, "helper: window never became active\n");

    const QString secret = qEnvironmentVariable("TOVIK_HELPER_SECRET_TEXT");
    if (!secret.isEmpty()) {
        auto* data = new QMimeData;
        data->setText(secret);
        data->setData(u"x-kde-passwordManagerHint"_s, "secret");
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    }
    std::printf("ready %llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);
    return app.exec();
}

// The desktop-test executable doubles as the helper: started with
// TOVIK_TEST_HELPER set, it runs the helper before any test is looked at.
struct HelperEntry {
    HelperEntry() {
        if (qEnvironmentVariableIsSet("TOVIK_TEST_HELPER")) {
            const int status = runHelper();
            std::fflush(nullptr);
            _exit(status);
        }
    }
} helperEntry;

} // namespace

bool HelperApplication::start(const Options& options) {
    process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TOVIK_TEST_HELPER"_s, u"1"_s);
    environment.insert(u"TOVIK_HELPER_SECRET_TEXT"_s, options.secretText);
    environment.insert(u"TOVIK_HELPER_DRAG_FILE"_s, options.dragFilePath);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), {});
    if (!process->waitForStarted(5000))
        return false;
    QByteArray line;
    while (!line.contains('\n')) {
        if (!process->waitForReadyRead(10000))
            return false;
        line += process->readAll();
    }
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.value(0) != "ready")
        return false;
    window = QString::fromLatin1(words.value(1));
    output = line.mid(line.indexOf('\n') + 1);
    return true;
}

std::optional<QJsonObject> HelperApplication::takeDrop() {
    if (!process)
        return std::nullopt;
    output += process->readAllStandardOutput();
    for (qsizetype end = output.indexOf('\n'); end >= 0; end = output.indexOf('\n')) {
        const QByteArray line = output.left(end);
        output.remove(0, end + 1);
        if (line.startsWith("dropped "))
            return QJsonDocument::fromJson(line.mid(8)).object();
    }
    return std::nullopt;
}

HelperApplication::~HelperApplication() {
    if (process && process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

QString runTool(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished();
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString activeWindow() {
    // The X input focus, not the manager's idea of the active window: the
    // panel is outside the manager's care and takes the keyboard itself.
    return runTool(u"xdotool"_s, {u"getwindowfocus"_s});
}
