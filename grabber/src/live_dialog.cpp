// TfLiveGrab: the "Live Input" window, its picture control tLiveWindow and the diagnostics
// dialog TDiagDlg. The widgets are thin: the record, the ranges and every driver call come
// from LiveSession.

#include "live_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "live_session.h"
#include "ovf32.h"

namespace ovf {

namespace {

constexpr int kIdleMs = 40;

// Library-wide: the notebook opens on the page used last.
int lastPage = 0;
// The last directory and name of a save.
QString lastSaveName;

// The picture: the session's buffer drawn through the grey table, or light grey.
class tLiveWindow final : public QWidget {
  public:
    tLiveWindow(LiveSession& session, QWidget* parent) : QWidget(parent), session_(session) {
        setObjectName("tLiveWindow");
        setFixedSize(LiveSession::kPictureWidth, LiveSession::kPictureHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (session_.pictureGrey()) {
            p.fillRect(rect(), QColor(192, 192, 192));
            return;
        }
        QImage image(session_.picture().data(), LiveSession::kPictureWidth,
                     LiveSession::kPictureHeight, LiveSession::kPictureWidth,
                     QImage::Format_Indexed8);
        const auto table = greyTable((session_.record()[channelField(kInvertion)] & 1) != 0, 256);
        QList<QRgb> colours;
        for (uint8_t g : table) colours.push_back(qRgb(g, g, g));
        image.setColorTable(colours);
        p.drawImage(0, 0, image);
    }

  private:
    LiveSession& session_;
};

void showDiagnosticsDialog(QWidget* parent, const std::string& text) {
    QDialog d(parent);
    d.setObjectName("TDiagDlg");
    d.setWindowTitle("Framegrabber Diagnostics");
    d.setFixedSize(317, 203);
    auto* layout = new QVBoxLayout(&d);
    auto* memo = new QPlainTextEdit(&d);
    memo->setObjectName("meDiag");
    memo->setReadOnly(true);
    QString t = QString::fromStdString(text);
    t.remove('\r');
    memo->setPlainText(t);
    layout->addWidget(memo);
    auto* ok = new QPushButton("OK", &d);
    ok->setObjectName("btOK");
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    d.exec();
}

// Swallows user input while the tuning runs; notes Escape and attempts to close.
class TuneGuard final : public QObject {
  public:
    bool escape = false;
    bool closeRequested = false;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) escape = true;
                return true;
            case QEvent::Close:
                closeRequested = escape = true;
                e->ignore();
                return true;
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

class TfLiveGrab final : public QDialog, private LiveSession::Host {
  public:
    TfLiveGrab(QWidget* owner, int16_t flags, bool capture, const char* caption)
        : QDialog(owner), session_(flags, *this) {
        setObjectName("TfLiveGrab");
        setWindowTitle(caption ? QString::fromLocal8Bit(caption) : QString("Live Input"));
        build(capture);
        session_.loadRecord();
        session_.setUpControls();
        session_.storeRecord();
        fill();
        connect(&idle_, &QTimer::timeout, this, [this] {
            if (tuning_ || !session_.setup().idleRefresh) return;
            if (session_.refreshPicture()) picture_->update();
        });
    }

    void place(int16_t left, int16_t top) {
        adjustSize();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QPoint at = pos();
        if (left == 0) at.setX(screen.x() + (screen.width() - width()) / 2);
        if (top == 0) at.setY(screen.y() + (screen.height() - height()) / 2);
        if (left > 0) at.setX(left);
        if (top > 0) at.setY(top);
        if (left >= 0 || top >= 0) move(at);
    }

    // OvfSynchronizeFramegrabber while the dialog is visible.
    int16_t synchronize() {
        if (tuning_) return 0;
        session_.activate();
        fill();
        return 0;
    }

  protected:
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        session_.shown(picture_);
        session_.activate();
        // The picture starts on a multiple of 4 screen pixels.
        const int x = picture_->mapToGlobal(QPoint(0, 0)).x();
        if (x % 4 != 0) move(pos().x() - ((x % 4) + 4) % 4, pos().y());
        session_.refreshPicture(true);
        picture_->update();
        idle_.start(kIdleMs);
        lib().dialogVisible = true;
    }

    void done(int r) override {
        if (tuning_) {
            guard_.closeRequested = guard_.escape = true;
            return;
        }
        idle_.stop();
        lib().dialogVisible = false;
        readControls();
        session_.closed();
        if (tabs_) lastPage = tabs_->currentIndex();
        QDialog::done(r);
    }

  private:
    // ---- Host ----
    void showMessage(const std::string& text) override {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    }
    std::optional<std::string> askSaveName() override {
        QFileDialog fd(this, "Save File As", lastSaveName, "Image files (*.tif *.bmp *.pic)");
        fd.setAcceptMode(QFileDialog::AcceptSave);
        fd.setDefaultSuffix("tif");
        fd.setObjectName("SaveDialog");
        if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty()) return std::nullopt;
        lastSaveName = fd.selectedFiles().front();
        return lastSaveName.toStdString();
    }
    void setWaitCursor(bool on) override {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    void showDiagnostics(const std::string& text) override { showDiagnosticsDialog(this, text); }
    void refill() override { fill(); }

    // ---- building ----
    template <class W>
    W* bind(W* w, const char* name, int tag, int code) {
        w->setObjectName(name);
        w->setProperty("tag", tag);
        w->setProperty("code", code);
        return w;
    }
    QScrollBar* bar(const char* name, int tag, int code, Qt::Orientation o = Qt::Horizontal) {
        auto* b = bind(new QScrollBar(o, this), name, tag, code);
        if (o == Qt::Horizontal) b->setMinimumWidth(150);
        connect(b, &QScrollBar::valueChanged, this, [this, b] { changed(b); });
        return b;
    }
    QLabel* panel(const char* name, int tag) {
        auto* l = new QLabel("0", this);
        l->setObjectName(name);
        l->setProperty("tag", tag);
        l->setMinimumWidth(36);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return l;
    }
    QLabel* label(const char* name, const char* text) {
        auto* l = new QLabel(text, this);
        if (name) l->setObjectName(name);
        return l;
    }
    void row(QGridLayout* g, int r, QLabel* caption, QScrollBar* b, QLabel* value) {
        captions_.push_back({caption, b});
        g->addWidget(caption, r, 0);
        g->addWidget(b, r, 1);
        if (value) g->addWidget(value, r, 2);
    }

    void build(bool capture) {
        auto* top = new QHBoxLayout;
        auto* pictureColumn = new QGridLayout;
        auto* shade = new QFrame(this);
        shade->setObjectName("pnShade");
        shade->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* shadeLayout = new QVBoxLayout(shade);
        shadeLayout->setContentsMargins(2, 2, 2, 2);
        picture_ = new tLiveWindow(session_, shade);
        shadeLayout->addWidget(picture_);
        pictureColumn->addWidget(shade, 0, 0);
        dispX_ = bar("sbDispX", 0, hDisplayOrigin);
        dispY_ = bar("sbDispY", 0, hDisplayOrigin, Qt::Vertical);
        pictureColumn->addWidget(dispY_, 0, 1);
        pictureColumn->addWidget(dispX_, 1, 0);
        top->addLayout(pictureColumn);

        auto* tune = bind(new QPushButton("&Tune", this), "btTune", 0, hTune);
        connect(tune, &QPushButton::clicked, this, [this] { changed(nullptr, hTune); });

        if (!capture) {
            tabs_ = new QTabWidget(this);
            tabs_->setObjectName("Notebook");
            tabs_->addTab(settingsPage(), "Settings");
            tabs_->addTab(advancedPage(), "Advanced");
            tabs_->addTab(hardwarePage(), "Hardware");
            tabs_->setCurrentIndex(lastPage);
            auto* side = new QVBoxLayout;
            side->addWidget(tabs_);
            side->addWidget(tune, 0, Qt::AlignLeft);
            top->addLayout(side, 1);
        } else {
            tune->hide();
        }

        auto* buttons = new QHBoxLayout;
        auto* ok = new QPushButton(capture ? "Capture" : "OK", this);
        ok->setObjectName("btOk");
        ok->setDefault(true);
        auto* close = new QPushButton("Close", this);
        close->setObjectName("btCancel");
        connect(ok, &QPushButton::clicked, this, [this] { done(1); });
        connect(close, &QPushButton::clicked, this, [this] { done(2); });
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(close);
        if (capture) buttons->addStretch();
        auto* main = new QVBoxLayout(this);
        main->addLayout(top);
        main->addLayout(buttons);
        if (capture) {
            main->setSizeConstraint(QLayout::SetFixedSize);
        } else {
            setFixedSize(592, 386);
        }
    }

    QWidget* settingsPage() {
        auto* page = new QWidget;
        auto* g = new QGridLayout(page);
        auto* group = new QHBoxLayout;
        group->addWidget(label("lbChannel", "Input Channel:"));
        const char* names[] = {"rbChannel", "rbCh2", "rbCh3", "rbCh4"};
        const char* texts[] = {"&1", "&2", "&3", "&4"};
        for (int k = 0; k < kMaxChannels; ++k) {
            auto* rb =
                bind(new QRadioButton(texts[k], page), names[k], radioTag(fChannelNo, k), hChannel);
            connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
                if (on) changed(rb);
            });
            radios_[k] = rb;
            group->addWidget(rb);
        }
        g->addLayout(group, 0, 0, 1, 3);
        row(g, 1, label("lbBri", "Brightness:"), bar("sbBri", 301, hLevels), panel("pnBri", 351));
        row(g, 2, label("lbCon", "Contrast:"), bar("sbCon", 401, hLevels), panel("pnCon", 451));
        row(g, 3, label("lbReadWH", "Input Window Width/Height:"),
            bar("sbReadWH", 1101, hWindowSize), panel("pnReadWH", 1151));
        row(g, 4, label("lbAspect", "Aspect Ratio:"), bar("sbAspect", 1201, hAspect),
            panel("pnAspect", 1251));
        readX_ = bar("sbReadX", 0, hViewfinder);
        readY_ = bar("sbReadY", 0, hViewfinder);
        row(g, 5, label("lbReadX", "Viewfinder Left:"), readX_, panel("pnReadX", 0));
        row(g, 6, label("lbReadY", "Viewfinder Top:"), readY_, panel("pnReadY", 0));
        g->setRowStretch(7, 1);
        return page;
    }

    QWidget* advancedPage() {
        auto* page = new QWidget;
        auto* g = new QGridLayout(page);
        row(g, 0, label("lbSat", "Saturation:"), bar("sbSaturation", 501, hSaturation),
            panel("pnSat", 551));
        row(g, 1, label("lbSharp", "Sharpness:"), bar("sbSharpness", 601, hSharpness),
            panel("pnSharp", 651));
        auto* std = bind(new QComboBox(page), "cbStd", 701, hInputStd);
        std->addItems({"NTSC", "PAL"});
        auto* type = bind(new QComboBox(page), "cbType", 801, hInputType);
        type->addItems({"Composite", "SVideo", "RGB", "Beta"});
        for (QComboBox* c : {std, type})
            connect(c, &QComboBox::currentIndexChanged, this, [this, c] { changed(c); });
        g->addWidget(label("lbStd", "Video Input Standard:"), 2, 0);
        g->addWidget(std, 2, 1);
        g->addWidget(label("lbType", "Video Input Type:"), 3, 0);
        g->addWidget(type, 3, 1);
        auto* invert = bind(new QCheckBox(" Invert Intensity", page), "ckInvert", 1301, hLevels);
        auto* flip = bind(new QCheckBox(" Flip Image Vertically", page), "ckFlip", 1401, -1);
        for (QCheckBox* c : {invert, flip})
            connect(c, &QCheckBox::toggled, this, [this, c] { changed(c); });
        g->addWidget(invert, 4, 0, 1, 2);
        g->addWidget(flip, 5, 0, 1, 2);
        freeze_ = bind(new QPushButton("Freeze", page), "btFreeze", 0, hFreeze);
        auto* save = bind(new QPushButton("&Save...", page), "btSave", 0, hSave);
        connect(freeze_, &QPushButton::clicked, this, [this] { changed(nullptr, hFreeze); });
        connect(save, &QPushButton::clicked, this, [this] { changed(nullptr, hSave); });
        g->addWidget(freeze_, 6, 0);
        g->addWidget(save, 6, 1);
        g->setRowStretch(7, 1);
        return page;
    }

    QWidget* hardwarePage() {
        auto* page = new QWidget;
        auto* g = new QGridLayout(page);
        auto* board = bind(new QComboBox(page), "cbCurFG", 1901, hBoard);
        for (int b = 0; b < kBoardCount; ++b) board->addItem(boardName(b));
        connect(board, &QComboBox::currentIndexChanged, this, [this, board] { changed(board); });
        g->addWidget(label("lbCurFG", "Framegrabber Driver:"), 0, 0);
        g->addWidget(board, 0, 1);
        auto* io = bind(new QLineEdit("0x0000", page), "edIOBase", 201, -1);
        connect(io, &QLineEdit::editingFinished, this, [this, io] { changed(io); });
        g->addWidget(label("lbIOBase", "Framegrabber I/O Base:"), 1, 0);
        g->addWidget(io, 1, 1);
        auto* fields = bind(new QCheckBox(" Reverse Fields", page), "cbInterlaceFlag", 1701, -1);
        connect(fields, &QCheckBox::toggled, this, [this, fields] { changed(fields); });
        g->addWidget(fields, 2, 0, 1, 2);
        auto* init = bind(new QPushButton("Reinitialize", page), "btInit", 0, hBoard);
        auto* diag = new QPushButton(" Diagnostics...", page);
        diag->setObjectName("btDiag");
        connect(init, &QPushButton::clicked, this, [this] { changed(nullptr, hBoard); });
        connect(diag, &QPushButton::clicked, this,
                [this] { showDiagnosticsDialog(this, diagnosticsText()); });
        g->addWidget(init, 3, 0);
        g->addWidget(diag, 3, 1);
        auto* hidden = bind(new QLineEdit(page), "Edit1", 1801, -1);
        hidden->hide();
        g->setRowStretch(4, 1);
        return page;
    }

    // ---- moving values ----
    static void setRange(QScrollBar* b, const BarRange& r) {
        b->setRange(r.min, std::max(r.min, r.max));
        b->setEnabled(r.enabled);
    }

    void fill() {
        filling_ = true;
        const ControlSetup& s = session_.setup();
        const LiveRecord& r = session_.record();
        auto find = [this](const char* n) { return findChild<QWidget*>(n); };
        auto setBar = [&](const char* n, const BarRange& range) {
            if (auto* b = findChild<QScrollBar*>(n)) setRange(b, range);
        };
        setBar("sbBri", s.bri);
        setBar("sbCon", s.con);
        setBar("sbSaturation", s.saturation);
        setBar("sbSharpness", s.sharpness);
        setBar("sbReadWH", s.readWH);
        setBar("sbAspect", s.aspect);
        setRange(dispX_, s.dispX);
        setRange(dispY_, s.dispY);
        dispX_->setProperty("tag", controlTag(s.dispXField));
        dispY_->setProperty("tag", controlTag(s.dispYField));
        if (readX_) {
            setRange(readX_, s.readX);
            setRange(readY_, s.readY);
            readX_->setProperty("tag", controlTag(s.readXField));
            readY_->setProperty("tag", controlTag(s.readYField));
            find("pnReadX")->setProperty("tag", positionTag(controlTag(s.readXField)));
            find("pnReadY")->setProperty("tag", positionTag(controlTag(s.readYField)));
        }
        for (int k = 0; k < kMaxChannels; ++k) {
            if (!radios_[k]) continue;
            radios_[k]->setEnabled(k < s.channelCount);
            radios_[k]->setVisible(k == 0 || k < s.channelCount);
        }
        // Controls of the board: only those it uses are shown.
        const auto& shown = visibleControls(r[fBoard]);
        const bool captureUse = (session_.flags() & kDialogCaptureUse) != 0;
        for (const std::string& name : boardControls()) {
            QWidget* w = find(name.c_str());
            if (!w) continue;
            const bool pictureBar = name == "sbDispX" || name == "sbDispY";
            const bool visible = std::find(shown.begin(), shown.end(), name) != shown.end();
            w->setVisible(visible && (!captureUse || pictureBar));
            // A bar's value panel goes with it.
            if (qobject_cast<QScrollBar*>(w) && !pictureBar)
                if (QLabel* l = sibling(w->property("tag").toInt())) l->setVisible(!w->isHidden());
        }
        // Captions without a name of their own follow their bar.
        for (auto [caption, b] : captions_) {
            const std::string name = caption->objectName().toStdString();
            if (std::find(boardControls().begin(), boardControls().end(), name) ==
                boardControls().end())
                caption->setVisible(!b->isHidden());
        }
        for (QWidget* w : findChildren<QWidget*>()) {
            const QVariant tag = w->property("tag");
            if (!tag.isValid()) continue;
            const auto binding = bindingOfTag(tag.toInt());
            if (!binding) continue;
            const int16_t v = r[binding->field];
            if (binding->panel) {
                if (auto* l = qobject_cast<QLabel*>(w)) l->setNum(v);
            } else if (auto* b = qobject_cast<QScrollBar*>(w)) {
                b->setValue(v);
                if (auto* l = sibling(tag.toInt())) l->setNum(b->value());
            } else if (auto* rb = qobject_cast<QRadioButton*>(w)) {
                rb->setChecked(v == binding->radioValue);
            } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
                c->setChecked((v & 1) != 0);
            } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
                cb->setCurrentIndex(std::clamp<int>(v, 0, cb->count() - 1));
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                e->setText(binding->field == fIOBase
                               ? QString::asprintf("0x%04X", unsigned(uint16_t(v)))
                               : QString::number(v));
            }
        }
        if (freeze_)
            freeze_->setText(session_.isLive() || !lib().driver->initialised ? "Freeze" : "Live");
        filling_ = false;
        picture_->update();
    }

    QLabel* sibling(int tag) {
        for (QLabel* l : findChildren<QLabel*>())
            if (l->property("tag").toInt() == positionTag(tag)) return l;
        return nullptr;
    }

    void readControls() {
        LiveRecord& r = session_.record();
        for (QWidget* w : findChildren<QWidget*>()) {
            const QVariant tag = w->property("tag");
            if (!tag.isValid()) continue;
            const auto binding = bindingOfTag(tag.toInt());
            if (!binding || binding->panel) continue;
            int16_t& v = r[binding->field];
            if (auto* b = qobject_cast<QScrollBar*>(w)) {
                v = int16_t(b->value());
                if (auto* l = sibling(tag.toInt())) l->setNum(b->value());
            } else if (auto* rb = qobject_cast<QRadioButton*>(w)) {
                if (rb->isChecked()) v = int16_t(binding->radioValue);
            } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
                v = int16_t(c->isChecked() ? (v | 1) : (v & ~1));
            } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
                v = int16_t(cb->currentIndex());
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                // Text that is no number keeps the value it replaced.
                bool ok = false;
                const int parsed =
                    e->text().trimmed().toInt(&ok, binding->field == fIOBase ? 16 : 10);
                if (ok && parsed >= INT16_MIN && parsed <= 0xFFFF) v = int16_t(parsed);
            }
        }
    }

    void changed(QWidget* source, int explicitCode = -1) {
        if (filling_ || tuning_) return;
        const int code = source ? source->property("code").toInt() : explicitCode;
        readControls();
        const bool wasLive = session_.isLive();
        if (code == hTune) {
            runTune();
        } else if (code < 0) {
            session_.storeRecord();  // record only
        } else {
            session_.handle(code);
        }
        if (code == hLevels || code == hFreeze || code == hBoard) {
            session_.refreshPicture(true);
            picture_->update();
        }
        if (wasLive != session_.isLive() || code == hBoard) fill();
        if (source && code != hBoard) {
            if (auto* b = qobject_cast<QScrollBar*>(source))
                if (auto* l = sibling(source->property("tag").toInt())) l->setNum(b->value());
        }
    }

    void runTune() {
        tuning_ = true;
        idle_.stop();
        TuneGuard guard;
        qApp->installEventFilter(&guard);
        lib().escapePressed = [this, &guard] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return guard.escape || guard_.escape;
        };
        session_.handle(hTune);
        lib().escapePressed = nullptr;
        qApp->removeEventFilter(&guard);
        tuning_ = false;
        idle_.start(kIdleMs);
        const bool close = guard.closeRequested || guard_.closeRequested;
        guard_ = {};
        fill();
        if (close) done(2);
    }

    LiveSession session_;
    tLiveWindow* picture_ = nullptr;
    QScrollBar *dispX_ = nullptr, *dispY_ = nullptr, *readX_ = nullptr, *readY_ = nullptr;
    QRadioButton* radios_[kMaxChannels] = {};
    QPushButton* freeze_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<std::pair<QLabel*, QScrollBar*>> captions_;
    QTimer idle_;
    bool filling_ = false;
    bool tuning_ = false;
    struct {
        bool escape = false, closeRequested = false;
    } guard_;
};

bool haveGuiThread() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

int16_t runLiveDialog(void* owner, int16_t left, int16_t top, int16_t channel, void* frame,
                      int16_t flags, const char* caption) {
    LibraryState& s = lib();
    if (s.dialogOpen) return OVF_E_DIALOG_OPEN;
    if (!haveGuiThread()) {
        std::fprintf(stderr, "ovf32: the Live Input dialog needs the application's GUI thread\n");
        return OVF_E_CLOSED;
    }
    s.dialogOpen = true;
    auto* parent = static_cast<QWidget*>(owner);
    if (!s.driver->initialised && s.driver->Init(s.internalFile, false) != 0) {
        QMessageBox::warning(parent, "Warning",
                             "Framegrabber driver could not initialize.\r\n\r\nPlease check "
                             "framegrabber software and hardware settings\r\nin the Hardware "
                             "section of the Framegrabber Setup Dialog.");
    }
    tFrameGrabber& d = *s.driver;
    d.Control(kindChannel, uint16_t(channel));
    auto& ch = s.settings.channels[size_t(s.settings.channelNo & (kMaxChannels - 1))];
    ch[kDialogFlags] = int16_t(flags & kDialogSetupMark);
    if (d.HasCap(capFullFrame)) {
        if (flags & kDialogLarge)
            d.SetFrameSize(512, 512);
        else
            d.SetFrameSize(kFrameWidth, kFrameHeight);
    }
    int16_t result;
    {
        TfLiveGrab form(parent, flags, frame != nullptr, caption);
        s.dialogSynchronize = [&form] { return form.synchronize(); };
        form.place(left, top);
        result = form.exec() == 1 ? OVF_OK : OVF_E_CLOSED;
        s.dialogSynchronize = nullptr;
        s.dialogVisible = false;
    }
    tFrameGrabber& now = *s.driver;  // a board change in the dialog replaces the driver
    if (result == OVF_OK && frame != nullptr) {
        now.FreezeForCapture((flags & kDialogColour) ? 1 : 0);
        const int16_t captureFlags = int16_t(0x10 | ((flags & kDialogColour) ? 0x08 : 0) |
                                             ((flags & kDialogLarge) ? 0x02 : 0));
        const int16_t r =
            captureFrame(int16_t(s.settings.channelNo), static_cast<uint8_t*>(frame), captureFlags);
        now.Control(kindField, 0);
        if (r != 0) result = r;  // nothing was captured: not a success
    }
    s.dialogOpen = false;
    return result;
}

}  // namespace ovf

extern "C" {

int16_t OvfLiveDialog(void* window, int16_t left, int16_t top, int16_t channel, void* frame,
                      int16_t flags, const char* caption) {
    return ovf::runLiveDialog(window, left, top, channel, frame, flags, caption);
}

int16_t OvfLiveDialogP(void* window, int16_t left, int16_t top, int16_t channel, void* frame,
                       int16_t flags, const unsigned char* caption) {
    if (caption == nullptr)
        return ovf::runLiveDialog(window, left, top, channel, frame, flags, nullptr);
    const std::string text(reinterpret_cast<const char*>(caption + 1), caption[0]);
    return ovf::runLiveDialog(window, left, top, channel, frame, flags, text.c_str());
}

}  // extern "C"
