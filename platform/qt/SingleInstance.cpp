#include "SingleInstance.h"

#include "Forms.h"
#include "Internal.h"
#include "platform/Machine.h"
#include "platform/UiThread.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <map>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Time allowed to reach a running holder: its UI thread accepts in the message loop.
constexpr int kConnectMs = 5000;

std::map<AnsiString, QLocalServer*> gHeld;  // UI thread

// Abstract socket names are the kernel's, not files: nothing is left behind by a crash.
QString keyOf(const AnsiString& title) {
    QByteArray where = QByteArray::fromStdString(MachineDir()) + '\0' + QByteArray::fromStdString(title);
    QByteArray hash = QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex();
    return QString("vyn-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool sameUser(QLocalSocket* s) {
    struct ucred cred {};
    socklen_t len = sizeof cred;
    return getsockopt(static_cast<int>(s->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 &&
           cred.uid == getuid();
}

// Each message is one line "msg wParam lParam". They are handed to the main form from the
// UI thread's queue, in order, once the socket's signal has returned: a handler may run a
// modal loop, inside which the socket can close and go.
void deliverLines(QLocalSocket* s) {
    while (s->canReadLine()) {
        QList<QByteArray> f = s->readLine().trimmed().split(' ');
        if (f.size() != 3) continue;
        TMessage m;
        m.Msg = f[0].toUInt();
        m.WParam = f[1].toULongLong();
        m.LParam = f[2].toLongLong();
        QueueOnUiThread([m]() mutable {
            if (TForm* main = Application->MainForm()) RunHandler([&] { main->Dispatch(m); });
        });
    }
}

void listen(QLocalServer* server) {
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            if (!sameUser(s)) {
                s->abort();
                s->deleteLater();
                continue;
            }
            QObject::connect(s, &QLocalSocket::readyRead, s, [s] { deliverLines(s); });
            QObject::connect(s, &QLocalSocket::disconnected, s, [s] {
                deliverLines(s);
                s->deleteLater();
            });
            deliverLines(s);
        }
    });
}
} // namespace

bool AcquireInstance(const AnsiString& title) {
    return CallOnUiThread([&] {
        if (gHeld.count(title)) return true;
        auto* server = new QLocalServer;
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (!server->listen(keyOf(title))) {
            delete server;
            return false;
        }
        listen(server);
        gHeld[title] = server;
        return true;
    });
}

void ReleaseInstance(const AnsiString& title) {
    RunOnUiThread([&] {
        auto it = gHeld.find(title);
        if (it == gHeld.end()) return;
        delete it->second;
        gHeld.erase(it);
    });
}

bool InstanceRunning(const AnsiString& title) {
    if (CallOnUiThread([&] { return gHeld.count(title) > 0; })) return true;
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    s.connectToServer(keyOf(title));
    bool held = s.waitForConnected(kConnectMs);
    s.abort();
    return held;
}

bool PostToInstance(const AnsiString& title, UINT msg, WPARAM wParam, LPARAM lParam) {
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    s.connectToServer(keyOf(title));
    if (!s.waitForConnected(kConnectMs)) return false;
    s.write(QByteArray::number(msg) + ' ' + QByteArray::number(static_cast<qulonglong>(wParam)) + ' ' +
            QByteArray::number(static_cast<qlonglong>(lParam)) + '\n');
    bool sent = s.waitForBytesWritten(kConnectMs);
    s.disconnectFromServer();
    return sent;
}

void classlib::CloseInstances() {
    for (auto& [title, server] : gHeld) delete server;
    gHeld.clear();
}
