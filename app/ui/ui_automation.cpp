#include "ui_automation.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>

namespace ui {

namespace {

// The visible control with the object name: in the active modal window, then the active
// window, then every visible window.
QWidget* findControl(const QString& name) {
    QList<QWidget*> roots;
    if (QWidget* modal = QApplication::activeModalWidget()) roots << modal;
    if (QWidget* active = QApplication::activeWindow()) roots << active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) roots << w;
    for (QWidget* root : roots) {
        if (root->objectName() == name) return root;
        for (QWidget* w : root->findChildren<QWidget*>(name))
            if (w->isVisible()) return w;
    }
    return nullptr;
}

QByteArray textOf(QWidget* w) {
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
        if (auto* c = qobject_cast<QCheckBox*>(w)) text = c->isChecked() ? "1" : "0";
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        text = l->text();
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        text = e->text();
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        text = c->currentText();
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
        text = QString::number(p->value());
    } else if (auto* t = qobject_cast<QTreeWidget*>(w)) {
        text = QString::number(t->topLevelItemCount());
    } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
        text = QString::number(t->currentIndex());
    } else {
        text = w->windowTitle();
    }
    // Answers are single lines.
    return text.replace(QLatin1Char('\n'), QStringLiteral(" / ")).toUtf8();
}

QByteArray windows() {
    QJsonArray list;
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        QJsonObject o;
        o[QStringLiteral("name")] = w->objectName();
        o[QStringLiteral("title")] = w->windowTitle();
        o[QStringLiteral("window")] = QString::number(w->winId());
        o[QStringLiteral("modal")] = w == modal;
        if (auto* box = qobject_cast<QMessageBox*>(w)) o[QStringLiteral("text")] = box->text();
        list.append(o);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray answerBox(const QString& button) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return "no message box";
    const QMessageBox::StandardButton which = button == QLatin1String("Yes")  ? QMessageBox::Yes
                                              : button == QLatin1String("No") ? QMessageBox::No
                                                                              : QMessageBox::Ok;
    QAbstractButton* b = box->button(which);
    if (b == nullptr) return "no such button";
    const QByteArray text = box->text().toUtf8();
    QTimer::singleShot(0, b, [b] { b->click(); });
    return text;
}

}  // namespace

bool automationEnabled() {
    const char* on = std::getenv("OVFC_AUTOMATION");
    return on != nullptr && std::string_view(on) == "1";
}

QByteArray automationAnswer(const QByteArray& request) {
    const QString text = QString::fromUtf8(request);
    const QString verb = text.section(QLatin1Char(' '), 0, 0);
    const QString name = text.section(QLatin1Char(' '), 1, 1).replace(QLatin1Char('_'), ' ');
    const QString rest = text.section(QLatin1Char(' '), 2);
    if (verb == QLatin1String("windows")) return windows();
    if (verb == QLatin1String("answer")) return answerBox(name);
    QWidget* w = findControl(name);
    if (w == nullptr && verb == QLatin1String("press")) {
        // A menu command ("cmd1101", ...).
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* action = top->findChild<QAction*>(name);
            if (action == nullptr || !action->isEnabled()) continue;
            QTimer::singleShot(0, action, [action] { action->trigger(); });
            return "ok";
        }
    }
    if (w == nullptr) return "no such control";
    if (verb == QLatin1String("text")) return textOf(w);
    if (verb == QLatin1String("press")) {
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (b == nullptr || !b->isEnabled()) return "not a button that can be pressed";
        QTimer::singleShot(0, b, [b] { b->click(); });
        return "ok";
    }
    if (verb == QLatin1String("set")) {
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(rest);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setCurrentText(rest);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable()) {
            b->setChecked(rest == QLatin1String("1"));
        } else {
            return "bad request";
        }
        return "ok";
    }
    if (verb == QLatin1String("tab")) {
        auto* t = qobject_cast<QTabWidget*>(w);
        if (t == nullptr) return "bad request";
        t->setCurrentIndex(rest.toInt());
        return "ok";
    }
    if (verb == QLatin1String("row") || verb == QLatin1String("dblclick")) {
        auto* t = qobject_cast<QTreeWidget*>(w);
        const int row = rest.section(QLatin1Char(' '), 0, 0).toInt();
        if (t == nullptr || row < 0 || row >= t->topLevelItemCount()) return "bad request";
        QTreeWidgetItem* item = t->topLevelItem(row);
        t->setCurrentItem(item);
        if (verb == QLatin1String("dblclick")) {
            const int column = rest.section(QLatin1Char(' '), 1, 1).toInt();
            QTimer::singleShot(0, t,
                               [t, item, column] { emit t->itemDoubleClicked(item, column); });
        }
        return "ok";
    }
    return "bad request";
}

}  // namespace ui
