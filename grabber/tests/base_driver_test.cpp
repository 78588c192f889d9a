// The driver base class, board 0, the board table and the simple exports.

#include <cstring>

#include "exported_layer.h"
#include "test_support.h"

using namespace ovftest;

namespace {

// Index of a virtual function in the virtual table (Itanium C++ ABI representation of a
// pointer to a virtual member function: 1 + byte offset in the table).
template <class F>
long slotOf(F member) {
    static_assert(sizeof(F) == 2 * sizeof(void*));
    uintptr_t words[2];
    std::memcpy(words, &member, sizeof words);
    return words[0] & 1 ? long((words[0] - 1) / sizeof(void*)) : -1;
}

}  // namespace

TEST(DriverModel, VirtualOperationsKeepTheirSlotOrder) {
    using G = ovf::tFrameGrabber;
    EXPECT_EQ(slotOf(&G::Create), 0);
    EXPECT_EQ(slotOf(&G::Init), 1);
    EXPECT_EQ(slotOf(&G::Grab), 2);
    EXPECT_EQ(slotOf(&G::SetFrameSize), 3);
    EXPECT_EQ(slotOf(&G::StartCaptureMode), 4);
    EXPECT_EQ(slotOf(&G::StopLive), 5);
    EXPECT_EQ(slotOf(&G::Close), 6);
    EXPECT_EQ(slotOf(&G::DetachWindow), 7);
    EXPECT_EQ(slotOf(&G::ApplyInputWindow), 8);
    EXPECT_EQ(slotOf(&G::ReleaseWindow), 9);
    EXPECT_EQ(slotOf(&G::StartLive), 10);
    EXPECT_EQ(slotOf(&G::StartGrab), 11);
    EXPECT_EQ(slotOf(&G::IsGrabDone), 12);
    EXPECT_EQ(slotOf(&G::SetInputWindow), 13);
    EXPECT_EQ(slotOf(&G::AttachWindow), 14);
    EXPECT_EQ(slotOf(&G::IsLive), 15);
    EXPECT_EQ(slotOf(&G::Control), 16);
    EXPECT_EQ(slotOf(&G::Query), 17);
    EXPECT_EQ(slotOf(&G::ReadImage), 18);
    EXPECT_EQ(slotOf(&G::ReadRect), 19);
    EXPECT_EQ(slotOf(&G::ReadRectScaled), 20);
    EXPECT_EQ(slotOf(&G::SetWindow), 21);
    EXPECT_EQ(slotOf(&G::GrabToBuffer), 22);
}

TEST(DriverModel, DescriptorsOfTheSixBoards) {
    const int16_t flags[6] = {0x40, 0x201, 0x3E, 0x40, 0x201, 0xB0};
    const int16_t channels[6] = {0, 1, 2, 0, 2, 4};
    const char* sections[6] = {"", "Par", "Fpv", "", "CE", "Mil"};
    for (int b = 0; b < 6; ++b) {
        auto d = ovf::createBoard(b);
        ASSERT_NE(d, nullptr) << b;
        EXPECT_EQ(int16_t(d->descriptor->flags), flags[b]) << b;
        EXPECT_EQ(d->descriptor->channelCount, channels[b]) << b;
        EXPECT_STREQ(d->descriptor->sectionWord, sections[b]) << b;
    }
    EXPECT_EQ(ovf::createBoard(6), nullptr);
    EXPECT_EQ(ovf::createBoard(-1), nullptr);
    auto ce = ovf::createBoard(4);
    EXPECT_EQ(ce->descriptor->frameWidth, 1024);
    EXPECT_EQ(ce->descriptor->grabTimeoutMs, 200);
    EXPECT_EQ(ce->descriptor->brightnessMax, 100);
    auto par = ovf::createBoard(1);
    EXPECT_EQ(par->descriptor->frameHeight, 305);
    EXPECT_EQ(par->descriptor->grabTimeoutMs, 512);
    EXPECT_EQ(par->SectionName(0), "Par common");
    EXPECT_EQ(par->SectionName(1), "Par channel 1");
}

class BoardZero : public GrabberTest {};

TEST_F(BoardZero, InitialisesWithoutHardwareAndReadsMidGrey) {
    ASSERT_EQ(selectBoard(0), OVF_OK);
    EXPECT_EQ(OvfInit(), OVF_OK);
    EXPECT_EQ(OvfChannelCount(), 0);
    char name[64];
    OvfGetFramegrabberName(name);
    EXPECT_STREQ(name, "(None)");
    std::vector<uint8_t> buf(300, 7);
    const ovf::Rect dst{0, 0, 10, 20};
    EXPECT_EQ(driver().ReadImage(ovf::Rect{0, 0, 3, 3}, &dst, buf.data()), 200);
    EXPECT_EQ(std::count(buf.begin(), buf.begin() + 200, 128), 200);
    EXPECT_EQ(buf[200], 7);
    EXPECT_EQ(ovf::diagnosticsText(), "There is no video input device selected.");
    // Every capture gives a mid-grey frame of exactly the size and depth asked for.
    struct Shape {
        int16_t flags;
        size_t bytes;
    };
    for (const Shape& s :
         {Shape{0, ovf::kFrameBytes}, Shape{0x04, ovf::kFrameBytes}, Shape{0x02, 512u * 512u},
          Shape{0x08, ovf::kFrameBytes * 3}, Shape{0x0A, 512u * 512u * 3}}) {
        std::vector<uint8_t> frame(s.bytes + 16, 0);
        EXPECT_EQ(OvfCaptureFrame(0, frame.data(), s.flags), OVF_OK) << s.flags;
        EXPECT_EQ(size_t(std::count(frame.begin(), frame.begin() + s.bytes, 128)), s.bytes)
            << s.flags;
        EXPECT_EQ(std::count(frame.begin() + s.bytes, frame.end(), 0), 16) << s.flags;
    }
    EXPECT_EQ(OvfSynchronizeFramegrabber(), OVF_OK);
}

TEST_F(BoardZero, UninitialisedDriverReadsMidGrey) {
    ASSERT_EQ(selectBoard(5), OVF_OK);  // no stand-in failure: Matrox initialises
    driver().Close();
    std::vector<uint8_t> buf(64, 0);
    EXPECT_EQ(driver().ReadImage(ovf::Rect{0, 0, 4, 4}, nullptr, buf.data()), 16);
    EXPECT_EQ(std::count(buf.begin(), buf.begin() + 16, 128), 16);
    EXPECT_EQ(OvfCaptureFrame(0, buf.data(), 0), OVF_E_FAILED);
}

TEST_F(BoardZero, VideoPortProNeverInitialises) {
    EXPECT_EQ(selectBoard(3), OVF_OK);
    EXPECT_EQ(ovf::lib().board, 3);
    EXPECT_EQ(driver().Init(ovf::lib().internalFile, true), ovf::kNotSupported);
    EXPECT_FALSE(driver().initialised);
    EXPECT_EQ(OvfInit(), OVF_E_NOT_READY);
    EXPECT_EQ(OvfStartCapture(0), OVF_E_FAILED);
    EXPECT_NE(ovf::diagnosticsText().find(
                  "MRT framegrabber support is not available in this version of OVF32.DLL."),
              std::string::npos);
    char name[64];
    OvfGetFramegrabberName(name);
    EXPECT_STREQ(name, "MRT VideoPort Pro");
}

TEST(Exports, VersionAndNamesInBothStringForms) {
    char text[32];
    EXPECT_EQ(OvfGetVersion(text), OVF_OK);
    EXPECT_STREQ(text, "3.00.031");
    unsigned char p[32];
    EXPECT_EQ(OvfGetVersionP(p), OVF_OK);
    EXPECT_EQ(p[0], 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "3.00.031");
    EXPECT_EQ(OvfGetFramegrabberNameP(p), OVF_OK);
    char name[64];
    OvfGetFramegrabberName(name);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), name);
}
