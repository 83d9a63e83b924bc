// ui/app — the program's entry and what it needs before and around its
// windows: the command line (StartOptions), the check that a display can be
// opened at all (here), the toolkit's own texts in Russian
// (ToolkitTranslation), the program's icon, the pictures on its buttons and
// the menu bar's arrows (ProgramIcon), the font configuration read early on
// a second core (FontWarmUp), file names between the toolkit and the core
// (FilePaths), and main() itself (Project1). Nothing here computes or shows
// the sheet.

#include "DisplayCheck.h"

#include "Errors.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// A display's name comes from the environment: quoted as any text is.
QString Quoted(const QString& text) { return QString::fromStdString(snesenie::QuoteText(text.toStdString())); }


// True when a server listens on the Unix socket at path; an abstract socket
// (Linux) when abstract is set.
bool CanConnect(const QByteArray& path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.isEmpty() || offset + std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.constData(), std::size_t(path.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + std::size_t(path.size()) + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return connected;
}

// Empty when the X display looks reachable, else why not. Only a local
// display is tried; one on another host is left for the toolkit to reach.
QString X11Problem(const QString& display)
{
    // [unix]:N[.S], read by hand: a regular expression here would load and
    // compile its engine at every start, for one look at one name.
    QStringView rest(display);
    if (rest.startsWith(u"unix"))
        rest = rest.mid(4);
    if (!rest.startsWith(u':'))
        return {};
    rest = rest.mid(1);
    const auto digits = [](QStringView s) {
        return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    const qsizetype dot = rest.indexOf(u'.');
    const QStringView number = dot < 0 ? rest : rest.first(dot);
    if (!digits(number) || (dot >= 0 && !digits(rest.mid(dot + 1))))
        return {};
    const QByteArray socket = "/tmp/.X11-unix/X" + number.toLatin1();
    if (CanConnect(socket, true) || CanConnect(socket, false))
        return {};
    return QString("дисплей %1 недоступен").arg(Quoted(display));
}

QString WaylandProblem(const QString& display)
{
    QString path = display;
    if (!path.startsWith('/'))
        path = qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + display;
    if (CanConnect(QFile::encodeName(path), false))
        return {};
    return QString("дисплей Wayland %1 недоступен").arg(Quoted(display));
}

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
QList<HeldMessage> heldMessages;

void PassOn(QtMsgType type, const char* category, const QString& text)
{
    if (previousHandler != nullptr) {
        const QMessageLogContext context(nullptr, 0, nullptr, category);
        previousHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

void StartGuard(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        heldMessages.append({type, context.category, text});
        return;
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString reason = display.isEmpty() ? QString("графическую платформу открыть не удалось")
                                             : QString("не удалось подключиться к дисплею %1").arg(Quoted(display));
    QString message = NoDisplayMessage(reason) + "Сообщения Qt:\n";
    QStringList lines;
    for (const HeldMessage& held : heldMessages)
        lines += held.text.split('\n');
    lines += text.split('\n');
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            message += "  " + line + '\n';
    std::fputs(message.toUtf8().constData(), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

QString MissingDisplayReason()
{
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").isEmpty())
        return {};
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty())
        return "не задан ни DISPLAY, ни WAYLAND_DISPLAY";
    QStringList problems;
    if (!x11.isEmpty()) {
        const QString problem = X11Problem(x11);
        if (problem.isEmpty())
            return {};
        problems << problem;
    }
    if (!wayland.isEmpty()) {
        const QString problem = WaylandProblem(wayland);
        if (problem.isEmpty())
            return {};
        problems << problem;
    }
    return problems.join("; ");
}

QString NoDisplayMessage(const QString& reason)
{
    return QString("snesenie: Нет дисплея (%1): окно программы открыть нельзя.\n"
                   "Запустите программу на рабочем столе или под Xvfb: xvfb-run snesenie\n"
                   "Лист без окна вычисляет snesenie-cli (справка: snesenie-cli --help).\n")
        .arg(reason);
}

void BeginStartGuard()
{
    heldMessages.clear();
    previousHandler = qInstallMessageHandler(StartGuard);
}

void EndStartGuard()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& held : std::exchange(heldMessages, {}))
        PassOn(held.type, held.category.constData(), held.text);
}
