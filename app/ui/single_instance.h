#pragma once
// One running program per user: the first start listens on a local socket, a later start
// hands its request to the first and ends. Requests are single text lines answered with
// one line: "activate" (bring the main window to the front), "status" (a JSON line
// describing the main window, for scripts and tests), "go" (press the action button),
// "user TEXT" (put TEXT into the user box) and "quit" (close the main window).
//
// The socket is $OVFC_INSTANCE when set and not empty, else "ovfctest-UID" in the
// runtime folder ($XDG_RUNTIME_DIR, else the temporary folder). UI thread only.

#include <QByteArray>
#include <QLocalServer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace ui {

QString instanceSocketPath();

// Sends one request to a running instance; its answer, or nothing when none answers
// within timeoutMs.
std::optional<QByteArray> askRunningInstance(const QString& socket, const QByteArray& request,
                                             int timeoutMs = 3000);

class SingleInstance {
  public:
    using Handler = std::function<QByteArray(const QByteArray& request)>;

    explicit SingleInstance(QString socket);
    ~SingleInstance();

    // Listens on the socket; a stale socket left by a killed instance is removed first.
    // false when another instance answers on it or it cannot be listened on.
    bool listen(Handler handler);
    const QString& socket() const { return socket_; }

  private:
    QString socket_;
    Handler handler_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace ui
