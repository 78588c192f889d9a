#include "device_dialogs.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <memory>

#include "library.h"

namespace vfw {

namespace {

std::optional<Device> selectedDevice() {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    return lib.selected >= 0 ? deviceAt(lib.selected) : std::nullopt;
}

// Integer and boolean controls of a V4L2 device, changed as the user moves them.
void addV4l2Controls(QDialog& dialog, QFormLayout* form, int fd) {
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (ioctl(fd, VIDIOC_QUERYCTRL, &q) == 0) {
        const uint32_t id = q.id;
        q.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
        if (q.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) continue;
        v4l2_control c{};
        c.id = id;
        if (ioctl(fd, VIDIOC_G_CTRL, &c) != 0) continue;
        const QString label = QString::fromUtf8(reinterpret_cast<const char*>(q.name));
        auto set = [fd, id](int value) {
            v4l2_control s{};
            s.id = id;
            s.value = value;
            ioctl(fd, VIDIOC_S_CTRL, &s);
        };
        if (q.type == V4L2_CTRL_TYPE_INTEGER) {
            auto* slider = new QSlider(Qt::Horizontal, &dialog);
            slider->setRange(q.minimum, q.maximum);
            slider->setSingleStep(q.step > 0 ? q.step : 1);
            slider->setValue(c.value);
            QObject::connect(slider, &QSlider::valueChanged, &dialog, set);
            form->addRow(label, slider);
        } else if (q.type == V4L2_CTRL_TYPE_BOOLEAN) {
            auto* box = new QCheckBox(&dialog);
            box->setChecked(c.value != 0);
            QObject::connect(box, &QCheckBox::toggled, &dialog, [set](bool on) { set(on); });
            form->addRow(label, box);
        }
    }
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void showSourceDialog(QWidget* parent) {
    const auto device = selectedDevice();
    if (!device) return;
    QDialog dialog(parent);
    dialog.setWindowTitle("Video Source");
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    form->addRow("Device:", new QLabel(QString::fromStdString(device->name), &dialog));
    FdCloser fd{-1};
    if (device->kind == Device::Kind::Folder) {
        form->addRow("Folder:", new QLabel(QString::fromStdString(device->path), &dialog));
    } else {
        fd.fd = ::open(device->path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd.fd >= 0) addV4l2Controls(dialog, form, fd.fd);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

void showFormatDialog(QWidget* parent) {
    const auto device = selectedDevice();
    if (!device) return;
    QDialog dialog(parent);
    dialog.setWindowTitle("Video Format");
    auto* layout = new QVBoxLayout(&dialog);
    auto* sizes = new QComboBox(&dialog);
    sizes->setObjectName("frameSize");
    static constexpr int kSizes[][2] = {{0, 0}, {640, 480}, {320, 240}, {160, 120}};
    sizes->addItem(device->kind == Device::Kind::Folder ? "Size of the images" : "Device default");
    for (int i = 1; i < 4; ++i)
        sizes->addItem(QString::asprintf("%d x %d", kSizes[i][0], kSizes[i][1]));
    {
        Library& lib = library();
        LibraryLock lock(lib.mutex);
        for (int i = 0; i < 4; ++i) {
            if (lib.format.width == kSizes[i][0] && lib.format.height == kSizes[i][1])
                sizes->setCurrentIndex(i);
        }
    }
    // The image folder camera plays its images at their own size.
    sizes->setEnabled(device->kind != Device::Kind::Folder);
    layout->addWidget(sizes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    const int i = sizes->currentIndex();
    if (i < 0 || i >= 4) return;
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    lib.format = {kSizes[i][0], kSizes[i][1]};
}

}  // namespace vfw
