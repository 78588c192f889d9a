// What the setup dialog tells the user about the current board.

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"

namespace ovf {

namespace {

constexpr const char* kPortDriver =
    "Currently selected input device requires OVPort hardware driver installed and running. "
    "To verify that the driver is started please check Control Panel | Devices applet.\r\n"
    "To ensure a proper driver installation you may need to run Framegrabber Setup utility, and "
    "reinstall the currently selected framegrabber driver.";
constexpr const char* kSpecifyAddress =
    "You may specify the address directly or set it to zero and press Reinitialize button to "
    "detect it automatically.";

}  // namespace

std::string diagnosticsText() {
    const int board = lib().board;
    const tFrameGrabber& d = *lib().driver;
    std::string text;
    if (!d.initialised) {
        text = "The framegrabber driver could not initialize.\r\n";
        switch (board) {
            case 1:
                if (!portAccessPossible()) text += kPortDriver;
                break;
            case 2:
                text +=
                    "Please make sure that the Integral Technologies FlashPoint board is properly "
                    "installed in your PC slot, and the directory containing FPV.DLL (or "
                    "FPV32.DLL) library file is in the search path.";
                break;
            case 3:
                text += "MRT framegrabber support is not available in this version of OVF32.DLL.";
                break;
            case 4:
                if (portAccessPossible()) {
                    text +=
                        "Please make sure that the Digital Vision ComputerEyes/RT board is "
                        "properly installed in your PC slot, and Framegrabber I/O Base field "
                        "contains correct I/O address of the board. See ComputerEyes/RT manual to "
                        "find out your board configuration.\r\n";
                    text += kSpecifyAddress;
                } else {
                    text += kPortDriver;
                }
                break;
            case 5:
                text +=
                    "Please make sure that the Matrox Meteor framegrabber board is properly "
                    "installed in your PC slot, and Matrox software required to support the "
                    "framegrabber is properly installed.";
                break;
            default:
                break;
        }
        return text;
    }
    if (board == 0) return "There is no video input device selected.";
    if (board == 1) {
        text = "There is no way to verify this device status.\r\n";
        text +=
            "If you cannot see live image, make sure the parallel cable is connected to the "
            "correct port, power connector is plugged in the keyboard socket, and the I/O Base "
            "field holds the address of the corresponding port.\r\n";
        text += kSpecifyAddress;
        return text;
    }
    text = "Your video input device appears to be operating properly.\r\n";
    text +=
        "If you cannot see image in the live window, try to check cable connections and power of "
        "your video source, Brightness and Contrast parameters in the Settings section of the "
        "Framegrabber Setup Dialog.\r\n";
    if (board == 2)
        text +=
            "Also, make sure the Color Palette in your Display Settings contains more than 16 "
            "colors (it should have 15-bit or more pixel depth).";
    if (board == 4)
        text +=
            "If the image has wrong field order (eg., non-smooth edges) try to switch Reverse "
            "Fields check-box in the Hardware section of the Framegrabber Setup Dialog.";
    return text;
}

}  // namespace ovf
