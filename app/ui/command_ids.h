#pragma once
// Command identifiers of the main window's menus, tool bar and client area.

namespace ui {

enum Command : int {
    kCmdAction = 1,  // the "Go!" / "Stop!" button
    kCmdPause = 1001,
    kCmdExit = 1002,
    kCmdNewUser = 1101,
    kCmdBrowseUsers = 1102,
    kCmdSearchPerson = 1103,
    kCmdOneToOne = 1104,
    kCmdStatistics = 1105,
    kCmdDeviceNone = 1201,
    kCmdDeviceSetup = 1203,
    kCmdImageFormat = 1204,
    kCmdProperties = 1205,
    kCmdGrabberMenu = 1210,
    kCmdGrabberFirst = 1211,  // 1211..1215: the five boards
    kCmdNoGrabbers = 1219,
    kCmdVfwMenu = 1230,
    kCmdVfwFirst = 1231,  // 1231..1239: the devices
    kCmdNoVfw = 1239,
    kCmdHelp = 1301,
    kCmdHowToUseHelp = 1302,
    kCmdVersions = 1303,
    kCmdAbout = 1304,
};

// Menu help texts of the three first menus.
enum MenuHelp : int { kHelpFile = 960, kHelpTools = 961, kHelpOptions = 962 };

}  // namespace ui
