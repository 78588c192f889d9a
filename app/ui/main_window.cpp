#include "main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QToolBar>

#include "command_ids.h"
#include "facelib/face_library.h"
#include "options_sheet.h"
#include "registration/browse_page.h"
#include "registration/new_person_wizard.h"
#include "texts.h"
#include "versions_dialog.h"

namespace ui {

namespace {

constexpr const char* kAllUsers = "(All)";

QString captureLibraryValue(capture::Kind kind) {
    switch (kind) {
        case capture::Kind::Grabber:
            return QStringLiteral("OvF");
        case capture::Kind::Vfw:
            return QStringLiteral("OvVFW");
        case capture::Kind::None:
            break;
    }
    return QStringLiteral("None");
}

// The system's time format without a time-zone field.
QString clockText() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed());
}

}  // namespace

MainWindow::MainWindow(AppContext context) : ctx_(context) {
    setObjectName(QStringLiteral("MAINWINDOW"));
    setWindowTitle(appText(appstrings::kAppTitle));
    PanelEnvironment env{ctx_.device, ctx_.clipboard, ctx_.frames, ctx_.registry,
                         [this] { return static_cast<int>(ctx_.settings.showElements); }};
    client_ = new ClientArea(env, this);
    setCentralWidget(client_);
    userList_ = new UserListWindow(env, ctx_.base, ctx_.settings, this);
    userList_->setPersonsChanged([this] { refreshUsers(); });
    oneToOne_ = new OneToOneDialog(env, ctx_.settings, ctx_.playSound, this);
    statistics_ = new StatisticsWindow(env, ctx_.base, this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    identification_ =
        std::make_unique<Identification>(ctx_, *client_, *status_, *userBox_, nullptr);
    connect(client_->actionButton(), &QPushButton::clicked, this,
            [this] { onCommand(kCmdAction); });
    connect(&clockTimer_, &QTimer::timeout, this, [this] { tick(); });
    updateStates();
}

MainWindow::~MainWindow() {
    clockTimer_.stop();
    identification_.reset();
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& text, int id) {
    QAction* a = menu->addAction(text);
    a->setData(id);
    a->setObjectName(QStringLiteral("cmd%1").arg(id));
    const int tab = text.indexOf('\t');
    if (tab >= 0) a->setShortcut(QKeySequence(text.mid(tab + 1).replace('-', '+')));
    a->setStatusTip(appText(id));
    connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
    commands_[id] = a;
    return a;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->menuAction()->setStatusTip(appText(kHelpFile));
    addCommand(file, QStringLiteral("&Pause\tAlt-P"), kCmdPause)->setCheckable(true);
    addCommand(file, QStringLiteral("E&xit\tAlt-X"), kCmdExit);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->menuAction()->setStatusTip(appText(kHelpTools));
    addCommand(tools, QStringLiteral("&New user\tAlt-N"), kCmdNewUser);
    addCommand(tools, QStringLiteral("&Browse users\tAlt-B"), kCmdBrowseUsers);
    addCommand(tools, QStringLiteral("&Search person\tAlt-S"), kCmdSearchPerson);
    addCommand(tools, QStringLiteral("&One-to-one matching\tAlt-1"), kCmdOneToOne);
    addCommand(tools, QStringLiteral("&Generate statistics\tAlt-G"), kCmdStatistics);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->menuAction()->setStatusTip(appText(kHelpOptions));
    QMenu* device = options->addMenu(QStringLiteral("&Capture device"));
    device->setObjectName(QStringLiteral("captureDeviceMenu"));
    devices_ = new QActionGroup(this);
    devices_->setExclusive(true);
    QAction* none = addCommand(device, QStringLiteral("&None"), kCmdDeviceNone);
    none->setCheckable(true);
    devices_->addAction(none);
    grabberMenu_ = device->addMenu(QStringLiteral("&Framegrabber"));
    grabberMenu_->setObjectName(QStringLiteral("grabberMenu"));
    grabberMenu_->menuAction()->setData(kCmdGrabberMenu);
    grabberMenu_->menuAction()->setStatusTip(appText(kCmdGrabberMenu));
    commands_[kCmdGrabberMenu] = grabberMenu_->menuAction();
    addCommand(grabberMenu_, QStringLiteral("No framegrabbers"), kCmdNoGrabbers)->setEnabled(false);
    vfwMenu_ = device->addMenu(QStringLiteral("&Video for Windows"));
    vfwMenu_->setObjectName(QStringLiteral("vfwMenu"));
    vfwMenu_->menuAction()->setData(kCmdVfwMenu);
    vfwMenu_->menuAction()->setStatusTip(appText(kCmdVfwMenu));
    commands_[kCmdVfwMenu] = vfwMenu_->menuAction();
    addCommand(vfwMenu_, QStringLiteral("No VfW devices"), kCmdNoVfw)->setEnabled(false);
    device->addSeparator();
    addCommand(device, QStringLiteral("&Device setup"), kCmdDeviceSetup);
    addCommand(device, QStringLiteral("&Image format"), kCmdImageFormat);
    addCommand(options, QStringLiteral("&Properties"), kCmdProperties);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addCommand(help, QStringLiteral("Help\tF1"), kCmdHelp)->setEnabled(false);
    addCommand(help, QStringLiteral("How to Use Help"), kCmdHowToUseHelp);
    addCommand(help, QStringLiteral("&Versions..."), kCmdVersions);
    addCommand(help, QStringLiteral("&About..."), kCmdAbout);
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    struct Button {
        int command;
        int tip;
        QStyle::StandardPixmap icon;
    };
    const Button buttons[] = {
        {kCmdNewUser, 940, QStyle::SP_FileDialogNewFolder},
        {kCmdBrowseUsers, 941, QStyle::SP_FileDialogDetailedView},
        {kCmdSearchPerson, 942, QStyle::SP_FileDialogContentsView},
        {kCmdOneToOne, 943, QStyle::SP_ArrowRight},
        {kCmdProperties, 944, QStyle::SP_FileDialogInfoView},
        {kCmdPause, 945, QStyle::SP_MediaPause},
        {kCmdHelp, 946, QStyle::SP_DialogHelpButton},
        {kCmdExit, 947, QStyle::SP_DialogCloseButton},
    };
    for (const Button& b : buttons) {
        QAction* a = bar->addAction(style()->standardIcon(b.icon), appText(b.tip));
        a->setObjectName(QStringLiteral("tool%1").arg(b.command));
        a->setToolTip(appText(b.tip));
        a->setStatusTip(appText(b.tip));
        a->setData(b.command);
        if (b.command == kCmdHelp) a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, id = b.command] {
            // The tool bar's pause button switches the menu item's mark too.
            if (id == kCmdPause) commands_[kCmdPause]->toggle();
            onCommand(id);
        });
        if (b.command == kCmdOneToOne || b.command == kCmdPause) bar->addSeparator();
    }
    bar->addSeparator();
    userBox_ = new QComboBox;
    userBox_->setObjectName(QStringLiteral("userBox"));
    userBox_->setFont(QFont(QStringLiteral("MS Sans Seriff")));
    userBox_->setEditable(true);
    userBox_->setMinimumContentsLength(20);
    bar->addWidget(userBox_);
}

void MainWindow::buildStatusBar() {
    status_ = new QLabel(QStringLiteral("Ready"));
    status_->setObjectName(QStringLiteral("status"));
    auto* middle = new QLabel;
    middle->setObjectName(QStringLiteral("status2"));
    clock_ = new QLabel;
    clock_->setObjectName(QStringLiteral("clock"));
    clock_->setMinimumWidth(90);
    clock_->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(middle);
    statusBar()->addPermanentWidget(clock_);
}

void MainWindow::attachPanels() {
    // (The views have no meta-object of their own: findChildren cannot tell them apart.)
    for (PanelView* view : {client_->live(), client_->match(), client_->found(), oneToOne_->left(),
                            oneToOne_->right(), userList_->probePanel(), userList_->facePanel(),
                            statistics_->sample(), statistics_->registered()})
        view->attach();
}

QAction* MainWindow::command(int id) const {
    auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

void MainWindow::refreshUsers() {
    userBox_->clear();
    userBox_->addItem(QString::fromLatin1(kAllUsers));
    QString last;
    ctx_.base.forEachPerson([&](persons::PersonRecord& person) {
        const QString id = QString::fromLocal8Bit(person.userId.c_str()).trimmed();
        userBox_->addItem(id);
        last = id;
        return true;
    });
    userBox_->setCurrentText(last.isEmpty() ? QString::fromLatin1(kAllUsers) : last);
}

void MainWindow::fillDeviceMenus() {
    // The five boards replace "No framegrabbers", the devices "No VfW devices".
    for (QAction* a : grabberMenu_->actions()) {
        if (a->data().toInt() == kCmdNoGrabbers) a->setVisible(false);
    }
    int id = kCmdGrabberFirst;
    for (std::string_view board : capture::kBoardNames) {
        const QString name =
            QString::fromLatin1(board.data(), static_cast<qsizetype>(board.size()));
        QAction* a = addCommand(grabberMenu_, name, id++);
        a->setStatusTip(appText(kCmdGrabberMenu));
        a->setCheckable(true);
        devices_->addAction(a);
    }
    const auto& names = ctx_.device.vfwDevices();
    id = kCmdVfwFirst;
    for (const std::string& device : names) {
        if (id > kCmdNoVfw) break;
        QAction* a = addCommand(vfwMenu_, QString::fromLocal8Bit(device.c_str()).left(80), id++);
        a->setStatusTip(appText(kCmdVfwMenu));
        a->setCheckable(true);
        devices_->addAction(a);
    }
    for (QAction* a : vfwMenu_->actions()) {
        // The placeholder shares 1239 with a ninth device; only the placeholder is disabled.
        if (!a->isCheckable() && a->data().toInt() == kCmdNoVfw) a->setVisible(names.empty());
    }
    vfwMenu_->setEnabled(!names.empty());
    vfwMenu_->menuAction()->setEnabled(!names.empty());
}

bool MainWindow::selectDevice(capture::Kind kind, const QString& name, bool fromMenu) {
    if (ctx_.device.select(kind, name.toStdString()) != 0) {
        if (fromMenu) {
            markDevice();  // the menu checked the refused item already
            return false;
        }
        ctx_.device.select(capture::Kind::None, std::string());
    }
    markDevice();
    const capture::Kind selected = ctx_.device.kind();
    const QString deviceName = QString::fromLocal8Bit(ctx_.device.deviceName().c_str());
    ctx_.settings.captureLibrary = captureLibraryValue(selected).toStdString();
    ctx_.settings.captureDriver = deviceName.toStdString();
    ctx_.registry.writeValues(
        settings::kAppKey,
        {{"Framegrabber library", platform::stringValue(ctx_.settings.captureLibrary)},
         {"Framegrabber driver", platform::stringValue(ctx_.settings.captureDriver)}});
    restartLive();
    updateStates();
    oneToOne_->deviceChanged();
    userList_->deviceChanged();
    return true;
}

void MainWindow::markDevice() {
    const capture::Kind selected = ctx_.device.kind();
    const QString deviceName = QString::fromLocal8Bit(ctx_.device.deviceName().c_str());
    for (QAction* a : devices_->actions()) a->setChecked(false);
    if (selected == capture::Kind::None) {
        commands_[kCmdDeviceNone]->setChecked(true);
        return;
    }
    QMenu* menu = selected == capture::Kind::Grabber ? grabberMenu_ : vfwMenu_;
    for (QAction* a : menu->actions()) {
        if (a->isCheckable() && a->text().compare(deviceName, Qt::CaseInsensitive) == 0)
            a->setChecked(true);
    }
}

void MainWindow::selectStoredDevice() {
    const std::string& library = ctx_.settings.captureLibrary;
    const QString driver = QString::fromLocal8Bit(ctx_.settings.captureDriver.c_str());
    if (library == "OvF") {
        selectDevice(capture::Kind::Grabber, driver, false);
    } else if (library == "OvVFW") {
        selectDevice(capture::Kind::Vfw, driver, false);
    } else {
        selectDevice(capture::Kind::None, QString(), false);
    }
}

void MainWindow::restartLive() {
    // A run takes its frames from the live panel: it ends before the panel's video does.
    if (identification_ && identification_->running()) identification_->toggle();
    PanelView* live = client_->live();
    live->stopLive();
    if (ctx_.device.kind() != capture::Kind::None && ctx_.settings.videoPaused == 0)
        live->startLive(true);
}

void MainWindow::showWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::setPaused(bool paused) {
    ctx_.settings.videoPaused = paused ? 1 : 0;
    commands_[kCmdPause]->setChecked(paused);
    restartLive();
    updateStates();
}

void MainWindow::updateStates() {
    const capture::Kind kind = ctx_.device.kind();
    const bool haveDevice = kind != capture::Kind::None;
    commands_[kCmdDeviceSetup]->setEnabled(haveDevice);
    commands_[kCmdImageFormat]->setEnabled(kind == capture::Kind::Vfw);
    commands_[kCmdPause]->setChecked(ctx_.settings.videoPaused != 0);
    if (identification_ && identification_->running()) return;  // "Stop!" stays enabled
    client_->actionButton()->setEnabled(haveDevice && ctx_.settings.videoPaused == 0);
    client_->showDeviceBanner(haveDevice);
}

void MainWindow::onCommand(int id) {
    switch (id) {
        case kCmdPause:
            setPaused(commands_[kCmdPause]->isChecked());
            return;
        case kCmdExit:
            close();
            return;
        case kCmdProperties:
            showOptions();
            return;
        case kCmdVersions:
            showVersions();
            return;
        case kCmdAbout:
            QMessageBox::about(this, QStringLiteral("About"),
                               appText(appstrings::kAppTitle) +
                                   QStringLiteral("\n\nFace library ") +
                                   QString::fromStdString(facelib::version()));
            return;
        case kCmdHowToUseHelp:
            QMessageBox::information(this, QStringLiteral("How to Use Help"),
                                     QStringLiteral("Point at a menu item or a tool bar button: "
                                                    "the status bar tells what it does."));
            return;
        case kCmdDeviceNone:
            selectDevice(capture::Kind::None, QString(), true);
            return;
        case kCmdDeviceSetup:
            ctx_.device.setupDialog(this);
            return;
        case kCmdImageFormat:
            ctx_.device.formatDialog(this);
            return;
        case kCmdOneToOne:
            showWindow(oneToOne_);
            return;
        case kCmdAction:
            identification_->toggle();
            return;
        case kCmdSearchPerson:
            userList_->showSearch();
            return;
        case kCmdNewUser:
            newUser();
            return;
        case kCmdBrowseUsers:
            userList_->showBrowse();
            return;
        case kCmdStatistics:
            showWindow(statistics_);
            return;
        default:
            break;
    }
    if (id >= kCmdGrabberFirst && id < kCmdGrabberFirst + 5) {
        selectDevice(capture::Kind::Grabber, commands_[id]->text(), true);
    } else if (id >= kCmdVfwFirst && id <= kCmdNoVfw) {
        selectDevice(capture::Kind::Vfw, commands_[id]->text(), true);
    }
    updateStates();
}

void MainWindow::showOptions() {
    OptionsSheet sheet(
        ctx_.settings, options::faceLibraryCalls(),
        [this](int rc) {
            settings::saveRegistry(ctx_.settings, ctx_.registry);
            if (rc != 0) QMessageBox::warning(this, QStringLiteral("Error"), faceErrorText(rc));
            client_->update();
            client_->live()->update();
        },
        this);
    sheet.exec();
}

void MainWindow::newUser() {
    PanelEnvironment env{ctx_.device, ctx_.clipboard, ctx_.frames, ctx_.registry,
                         [this] { return static_cast<int>(ctx_.settings.showElements); }};
    NewPersonWizard wizard(
        env, ctx_.base, ctx_.settings,
        [this] {
            refreshUsers();
            userList_->refreshUsers();
            userList_->browsePage()->refresh();
        },
        this);
    // The main panel's live video gives the camera to the wizard while it runs.
    if (identification_->running()) identification_->toggle();
    const bool wasLive = client_->live()->panel().live();
    if (wasLive) client_->live()->stopLive();
    wizard.exec();
    if (wasLive) restartLive();
}

void MainWindow::showVersions() {
    VersionsDialog dialog(ctx_.base.engineVersion(),
                          QString::fromLocal8Bit(ctx_.device.deviceName().c_str()), this);
    dialog.exec();
}

void MainWindow::restorePlacement() {
    const auto p = settings::readPlacement(ctx_.registry);
    if (!p || p->right <= p->left || p->bottom <= p->top) return;
    setGeometry(p->left, p->top, p->right - p->left, p->bottom - p->top);
    if (p->showCmd == 3) setWindowState(Qt::WindowMaximized);
}

void MainWindow::storePlacement() {
    settings::WindowPlacement p;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    p.showCmd = isMaximized() ? 3 : isMinimized() ? 2 : 1;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    settings::writePlacement(ctx_.registry, p);
}

void MainWindow::startClock() {
    tick();
    clockTimer_.start(1000);
}

void MainWindow::stopClock() {
    clockTimer_.stop();
}

void MainWindow::tick() {
    clock_->setText(clockText());
}

void MainWindow::activate() {
    ++activations_;
    if (isMinimized()) {
        showNormal();
    } else {
        show();
        raise();
    }
    activateWindow();
}

}  // namespace ui
