// BoardClassTable: board numbers, their driver classes and names.

#include "drivers.h"

namespace ovf {

namespace {

template <class T>
std::unique_ptr<tFrameGrabber> make() {
    std::unique_ptr<tFrameGrabber> p = std::make_unique<T>();
    p->Create();
    return p;
}

using Factory = std::unique_ptr<tFrameGrabber> (*)();

constexpr Factory kBoardClassTable[kBoardCount] = {&make<tFrameGrabber>, &make<tPar>, &make<tFPV>,
                                                   &make<tVPP>,          &make<tCE>,  &make<tMIL>};

constexpr const char* kBoardNames[kBoardCount] = {"(None)",
                                                  "Orvane KV-7",
                                                  "Integral Technologies FlashPoint",
                                                  "MRT VideoPort Pro",
                                                  "Digital Vision ComputerEyes/RT",
                                                  "Matrox Meteor"};

}  // namespace

std::unique_ptr<tFrameGrabber> createBoard(int board) {
    if (board < 0 || board >= kBoardCount) return nullptr;
    return kBoardClassTable[board]();
}

const char* boardName(int board) {
    return board >= 0 && board < kBoardCount ? kBoardNames[board] : "";
}

}  // namespace ovf
