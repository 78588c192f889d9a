// The main window: menus, identifiers, accelerators and status help, the enabled states that
// follow the capture device and the pause, device selection and the user box.

#include <QMenu>
#include <QMenuBar>

#include "command_ids.h"
#include "strings/string_table.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

using capture::Kind;

QString text(int id) {
    const auto s = appstrings::appString(id);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

TEST_F(MainWindowTest, MenuItemsCarryTheirIdentifiersAcceleratorsAndStatusHelp) {
    makeWindow();
    struct Item {
        int id;
        const char* text;
        const char* keys;
    };
    const Item items[] = {
        {1001, "&Pause\tAlt-P", "Alt+P"},
        {1002, "E&xit\tAlt-X", "Alt+X"},
        {1101, "&New user\tAlt-N", "Alt+N"},
        {1102, "&Browse users\tAlt-B", "Alt+B"},
        {1103, "&Search person\tAlt-S", "Alt+S"},
        {1104, "&One-to-one matching\tAlt-1", "Alt+1"},
        {1105, "&Generate statistics\tAlt-G", "Alt+G"},
        {1201, "&None", ""},
        {1203, "&Device setup", ""},
        {1204, "&Image format", ""},
        {1205, "&Properties", ""},
        {1301, "Help\tF1", "F1"},
        {1302, "How to Use Help", ""},
        {1303, "&Versions...", ""},
        {1304, "&About...", ""},
    };
    for (const Item& item : items) {
        QAction* a = window->command(item.id);
        ASSERT_NE(a, nullptr) << item.id;
        EXPECT_EQ(a->text(), QString::fromLatin1(item.text)) << item.id;
        EXPECT_EQ(a->data().toInt(), item.id);
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(item.keys))) << item.id;
        EXPECT_EQ(a->statusTip(), text(item.id)) << item.id;
    }
    // The three first menus' own help.
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[0]->statusTip(), text(960));
    EXPECT_EQ(menus[1]->statusTip(), text(961));
    EXPECT_EQ(menus[2]->statusTip(), text(962));
    EXPECT_EQ(menus[3]->text(), "&Help");
    EXPECT_FALSE(window->command(ui::kCmdHelp)->isEnabled());
}

TEST_F(MainWindowTest, FramegrabberSubmenuListsTheFiveBoardsInOrder) {
    makeWindow();
    const char* boards[] = {"Orvane KV-7", "Integral Technologies FlashPoint", "MRT VideoPort Pro",
                            "Digital Vision ComputerEyes/RT", "Matrox Meteor"};
    for (int k = 0; k < 5; ++k) {
        QAction* a = window->command(ui::kCmdGrabberFirst + k);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), boards[k]);
        EXPECT_EQ(a->statusTip(), text(1210));
    }
    EXPECT_FALSE(window->command(ui::kCmdNoGrabbers)->isVisible());
}

TEST_F(MainWindowTest, WithoutVideoDevicesTheirSubmenuIsDisabled) {
    makeWindow();
    EXPECT_FALSE(window->command(ui::kCmdVfwMenu)->isEnabled());
    EXPECT_TRUE(window->command(ui::kCmdNoVfw)->isVisible());
    EXPECT_EQ(window->command(ui::kCmdVfwFirst), nullptr);
}

TEST_F(MainWindowTest, VideoDevicesAreListedFrom1231) {
    makeWindow({"Image folder camera", "USB camera"});
    EXPECT_TRUE(window->command(ui::kCmdVfwMenu)->isEnabled());
    EXPECT_EQ(window->command(1231)->text(), "Image folder camera");
    EXPECT_EQ(window->command(1232)->text(), "USB camera");
    EXPECT_EQ(window->command(1231)->statusTip(), text(1230));
}

TEST_F(MainWindowTest, EnabledStatesFollowTheDeviceAndThePause) {
    makeWindow({"Image folder camera"});
    QAction* setup = window->command(ui::kCmdDeviceSetup);
    QAction* format = window->command(ui::kCmdImageFormat);
    QPushButton* go = window->client()->actionButton();

    window->selectStoredDevice();  // nothing stored: none
    EXPECT_EQ(device->kind(), Kind::None);
    EXPECT_FALSE(setup->isEnabled());
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(go->isEnabled());
    EXPECT_EQ(window->client()->banner()->text(), "No live video");
    EXPECT_TRUE(window->command(ui::kCmdDeviceNone)->isChecked());

    window->command(ui::kCmdGrabberFirst)->trigger();
    EXPECT_EQ(device->kind(), Kind::Grabber);
    EXPECT_TRUE(setup->isEnabled());
    EXPECT_FALSE(format->isEnabled());
    EXPECT_TRUE(go->isEnabled());
    EXPECT_TRUE(window->client()->banner()->text().isEmpty());
    EXPECT_TRUE(window->command(ui::kCmdGrabberFirst)->isChecked());
    EXPECT_FALSE(window->command(ui::kCmdDeviceNone)->isChecked());

    window->command(ui::kCmdVfwFirst)->trigger();
    EXPECT_EQ(device->kind(), Kind::Vfw);
    EXPECT_TRUE(setup->isEnabled());
    EXPECT_TRUE(format->isEnabled());
    EXPECT_TRUE(go->isEnabled());

    window->command(ui::kCmdPause)->trigger();
    EXPECT_EQ(settings.videoPaused, 1u);
    EXPECT_FALSE(go->isEnabled());
    EXPECT_FALSE(window->client()->live()->panel().live());
    window->command(ui::kCmdPause)->trigger();
    EXPECT_EQ(settings.videoPaused, 0u);
    EXPECT_TRUE(go->isEnabled());
}

TEST_F(MainWindowTest, SelectingADeviceStoresItAndStartsTheLivePanel) {
    makeWindow({"Image folder camera"});
    window->command(ui::kCmdVfwFirst)->trigger();
    EXPECT_TRUE(window->client()->live()->panel().live());
    const auto library = registry.read(settings::kAppKey, "Framegrabber library");
    const auto driver = registry.read(settings::kAppKey, "Framegrabber driver");
    ASSERT_TRUE(library && driver);
    EXPECT_EQ(std::string(library->data.begin(), library->data.end()).c_str(),
              std::string("OvVFW"));
    EXPECT_EQ(std::string(driver->data.begin(), driver->data.end()).c_str(),
              std::string("Image folder camera"));

    window->command(ui::kCmdDeviceNone)->trigger();
    EXPECT_FALSE(window->client()->live()->panel().live());
    EXPECT_EQ(settings.captureLibrary, "None");
}

TEST_F(MainWindowTest, AFailedMenuChoiceKeepsTheDeviceAndAFailedStoredOneFallsBackToNone) {
    makeWindow({"Image folder camera"});
    window->command(ui::kCmdGrabberFirst)->trigger();
    ASSERT_EQ(device->kind(), Kind::Grabber);
    libraries.setResult("OvVFWSelectFramegrabber", 1);
    window->command(ui::kCmdVfwFirst)->trigger();
    EXPECT_EQ(device->kind(), Kind::Grabber);
    EXPECT_TRUE(window->command(ui::kCmdGrabberFirst)->isChecked());

    settings.captureLibrary = "OvVFW";
    settings.captureDriver = "Image folder camera";
    window->selectStoredDevice();
    EXPECT_EQ(device->kind(), Kind::None);
    EXPECT_TRUE(window->command(ui::kCmdDeviceNone)->isChecked());
    EXPECT_EQ(settings.captureLibrary, "None");
}

TEST_F(MainWindowTest, UserBoxListsEveryStoredUserAndShowsTheLast) {
    for (const char* id : {"Ann", "Bob", "Cyd"}) {
        persons::PersonRecord p;
        p.userId = id;
        p.name = std::string("Name of ") + id;
        ASSERT_EQ(base.storePerson(p), 0);
    }
    ASSERT_EQ(base.deletePerson("Bob"), 0);
    makeWindow();
    QComboBox* box = window->userBox();
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "(All)");
    EXPECT_EQ(box->itemText(1), "Ann");
    EXPECT_EQ(box->itemText(2), "Cyd");
    EXPECT_EQ(box->currentText(), "Cyd");
}

TEST_F(MainWindowTest, UserBoxOfAnEmptyBaseShowsAll) {
    makeWindow();
    EXPECT_EQ(window->userBox()->count(), 1);
    EXPECT_EQ(window->userBox()->currentText(), "(All)");
}

TEST_F(MainWindowTest, PlacementIsStoredAndRestored) {
    makeWindow();
    window->setGeometry(40, 50, 900, 640);
    window->storePlacement();
    window.reset();
    makeWindow();
    window->restorePlacement();
    EXPECT_EQ(window->geometry(), QRect(40, 50, 900, 640));
}

}  // namespace
}  // namespace ui_test
