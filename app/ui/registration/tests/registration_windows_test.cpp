// The registration windows on generated faces without a capture device: the wizard with
// image files, the modify sheet and its profiler, the browse page and re-registration.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <thread>

#include "facegen.h"
#include "facelib/face_library.h"
#include "ovio32.h"
#include "registration/browse_page.h"
#include "registration/modify_sheet.h"
#include "registration/new_person_wizard.h"
#include "registration/profile_bars.h"
#include "registration/reregister_dialog.h"
#include "registration/user_info_fields.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

constexpr int kYes = QMessageBox::Yes, kNo = QMessageBox::No;

class RegistrationWindowsTest : public MainWindowTest {
  protected:
    std::unique_ptr<ui::PanelEnvironment> env;

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        device = std::make_unique<capture::CaptureDevice>(libraries, frames.sink());
        env = std::make_unique<ui::PanelEnvironment>(
            ui::PanelEnvironment{*device, clipboard, frames, registry, [] { return 2; }});
        settings.ownThreshold = settings.searchThreshold = 215;
        settings.personFaceNumber = 3;
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        facelib::done();
    }
    // A generated frame of the person as an image file.
    QString imageOf(int person, int image) {
        const fs::path path =
            dir.path() / QString::asprintf("face%d_%d.tif", person, image).toStdString();
        const auto frame = facegen::generateFrame(16, person, image).pixels;
        EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_OK);
        return QString::fromStdString(path.string());
    }
    // Person p stored with faces of the given images, descriptors made by the library.
    void enrol(int p, std::initializer_list<int> images) {
        persons::PersonRecord person;
        person.userId = "P0" + std::to_string(p);
        person.name = "Person " + std::to_string(p);
        for (int image : images) {
            const auto frame = facegen::generateFrame(16, p, image).pixels;
            std::vector<std::uint8_t> descriptor(3072);
            ASSERT_EQ(facelib::process(frame.data(), 256, 255, descriptor.data()), 0);
            persons::FaceRecord* face = person.addFace();
            face->setDescriptor(descriptor.data(), descriptor.size());
            face->setPicture(frame.data(), 256, 255);
        }
        ASSERT_EQ(base.storePerson(person), 0);
    }
    persons::PersonRecord stored(const std::string& userId) {
        persons::PersonRecord p;
        EXPECT_EQ(base.findByUserId(userId, p), 0);
        base.loadFaces(p);
        base.loadFaceImages(p);
        return p;
    }
    std::unique_ptr<ui::ModifySheet> sheetOf(const std::string& userId,
                                             ui::ModifySheet::Page first) {
        return std::make_unique<ui::ModifySheet>(
            *env, base, stored(userId), first, [] {}, nullptr);
    }
};

TEST_F(RegistrationWindowsTest, WizardStoresImageFacesUnderTheNormalisedUserId) {
    int storedCalls = 0;
    ui::NewPersonWizard wizard(
        *env, base, settings, [&] { ++storedCalls; }, nullptr);
    wizard.show();
    EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
    wizard.userInfo()->userId()->setText(QStringLiteral("  aBCd"));
    wizard.userInfo()->name()->setText(QStringLiteral("  Ann Smith"));
    EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled());
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ui::NewPersonWizard::kCapturePage);
    EXPECT_EQ(wizard.progress()->maximum(), 6);
    EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
    // A file without a face is not offered for "Add".
    const fs::path blank = dir.path() / "blank.tif";
    const std::vector<std::uint8_t> grey(65536, 128);
    ASSERT_EQ(OvWriteImage(blank.c_str(), grey.data(), 1), OVIO_OK);
    EXPECT_FALSE(wizard.loadImage(QString::fromStdString(blank.string())));
    EXPECT_EQ(wizard.captureButton()->text(), QStringLiteral("&Capture"));
    EXPECT_FALSE(wizard.captureStatus()->text().isEmpty());
    for (int image = 1; image <= 2; ++image) {
        ASSERT_TRUE(wizard.loadImage(imageOf(4, image)));
        EXPECT_EQ(wizard.captureButton()->text(), QStringLiteral("&Add"));
        wizard.pressCapture();
    }
    // Skip drops a loaded face.
    ASSERT_TRUE(wizard.loadImage(imageOf(4, 3)));
    wizard.pressSkip();
    EXPECT_EQ(wizard.faceCount(), 2);
    EXPECT_EQ(wizard.progress()->value(), 2);
    EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled());
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ui::NewPersonWizard::kSummaryPage);
    EXPECT_TRUE(wizard.summary()->text().contains(QStringLiteral("Captured faces: 2")));
    wizard.accept();
    EXPECT_EQ(wizard.storeResult(), 0);
    EXPECT_EQ(storedCalls, 1);
    const persons::PersonRecord p = stored("Abcd");
    EXPECT_EQ(p.name, "Ann Smith");
    EXPECT_EQ(p.access, persons::kAccessEnabled);
    ASSERT_EQ(p.faceCount, 2);
    EXPECT_TRUE(p.faces[1]->picture);
}

TEST_F(RegistrationWindowsTest, WizardRefusesAUserIdThatIsTaken) {
    enrol(1, {1});
    ui::NewPersonWizard wizard(*env, base, settings, {}, nullptr);
    wizard.show();
    wizard.userInfo()->userId()->setText(QStringLiteral("p01"));
    ModalAnswerer answers(QMessageBox::Ok);
    wizard.next();
    EXPECT_EQ(wizard.currentId(), ui::NewPersonWizard::kInfoPage);
    EXPECT_EQ(answers.texts(), QStringList{"User ID is not unique"});
}

TEST_F(RegistrationWindowsTest, WizardBackDiscardsTheFacesAndCancelAsksFirst) {
    ui::NewPersonWizard wizard(*env, base, settings, {}, nullptr);
    wizard.show();
    wizard.userInfo()->userId()->setText(QStringLiteral("New"));
    wizard.next();
    ASSERT_TRUE(wizard.loadImage(imageOf(5, 1)));
    wizard.pressCapture();
    ASSERT_EQ(wizard.faceCount(), 1);
    wizard.back();
    EXPECT_EQ(wizard.faceCount(), 0);
    {
        ModalAnswerer no(kNo);
        wizard.reject();
        EXPECT_EQ(no.texts(), QStringList{"Do you realy want to terminate registration?"});
        EXPECT_TRUE(wizard.isVisible());
    }
    ModalAnswerer yes(kYes);
    wizard.reject();
    EXPECT_FALSE(wizard.isVisible());
    persons::PersonRecord none;
    base.findByUserId("New", none);
    EXPECT_FALSE(none.stored());
}

TEST_F(RegistrationWindowsTest, ModifyRefusesAnEmptyOrTakenUserIdAndStaysOpen) {
    enrol(1, {1});
    enrol(2, {1});
    auto sheet = sheetOf("P01", ui::ModifySheet::kInfoPage);
    sheet->show();
    ModalAnswerer answers(QMessageBox::Ok);
    sheet->userInfo()->userId()->setText(QStringLiteral("   "));
    sheet->accept();
    EXPECT_TRUE(sheet->isVisible());
    sheet->userInfo()->userId()->setText(QStringLiteral("P02"));
    sheet->accept();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(answers.texts(), (QStringList{"User ID can not be pure.", "User ID is not unique."}));
    sheet->userInfo()->userId()->setText(QStringLiteral("p01"));  // its own, other case
    sheet->accept();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->storeResult(), 0);
}

TEST_F(RegistrationWindowsTest, ModifyDeletesAFaceAndItsImageAfterAskingAndStores) {
    enrol(1, {1, 2, 3});
    const persons::PersonRecord before = stored("P01");
    auto sheet = sheetOf("P01", ui::ModifySheet::kFacesPage);
    sheet->show();
    ASSERT_EQ(sheet->faces()->topLevelItemCount(), 3);
    EXPECT_TRUE(sheet->faces()
                    ->topLevelItem(0)
                    ->data(0, Qt::UserRole + 1)
                    .toString()
                    .startsWith(QStringLiteral("3|Face 1|")));
    {
        ModalAnswerer yes(kYes);
        sheet->deleteFace(1);
        sheet->deleteImage(0);
        EXPECT_EQ(yes.texts(), (QStringList{"Do you realy want to delete this record?",
                                            "Do you realy want to delete image of this face?"}));
    }
    EXPECT_TRUE(sheet->faces()
                    ->topLevelItem(0)
                    ->data(0, Qt::UserRole + 1)
                    .toString()
                    .startsWith(QStringLiteral("0|Face 1|")));
    sheet->userInfo()->name()->setText(QStringLiteral("Renamed"));
    sheet->accept();
    ASSERT_EQ(sheet->storeResult(), 0);
    const persons::PersonRecord after = stored("P01");
    EXPECT_EQ(after.name, "Renamed");
    ASSERT_EQ(after.faceCount, 2);
    EXPECT_EQ(after.faceRef[0], before.faceRef[0]);
    EXPECT_EQ(after.faceRef[1], before.faceRef[2]);
    EXPECT_FALSE(after.faces[0]->picture);
    EXPECT_TRUE(after.faces[1]->picture);
}

TEST_F(RegistrationWindowsTest, ModifyCancelAsksOnlyWhenSomethingChanged) {
    enrol(1, {1});
    auto sheet = sheetOf("P01", ui::ModifySheet::kInfoPage);
    sheet->show();
    {
        ModalAnswerer answers(kNo);
        sheet->userInfo()->name()->setText(QStringLiteral("Other"));
        sheet->reject();
        EXPECT_EQ(answers.texts(), QStringList{"Do you realy want to discard changes?"});
        EXPECT_TRUE(sheet->isVisible());
    }
    sheet->userInfo()->name()->setText(QStringLiteral("Person 1"));
    sheet->userInfo()->userId()->setText(QStringLiteral("P01"));
    ModalAnswerer answers(kNo);
    sheet->reject();
    EXPECT_TRUE(answers.texts().isEmpty());
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(RegistrationWindowsTest, ProfilerScoresTheOwnFacesAndSortsByThem) {
    enrol(1, {1, 2, 3});
    auto sheet = sheetOf("P01", ui::ModifySheet::kProfilerPage);
    sheet->show();
    EXPECT_FALSE(sheet->profileButton()->isEnabled());
    ASSERT_TRUE(sheet->loadProbe(imageOf(1, 2)));
    ASSERT_TRUE(sheet->profileButton()->isEnabled());
    sheet->profile();
    while (sheet->profiling()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    registration::RegistrationSheet& s = sheet->sheet();
    EXPECT_EQ(s.runs(), 1);
    // The probe is face 2's own picture: its score is the highest.
    EXPECT_GT(s.stats(1).current, s.stats(0).current);
    EXPECT_GT(s.stats(1).current, s.stats(2).current);
    const std::uint32_t ref = s.person().faceRef[1];
    sheet->sortBy(registration::SortKey::Current);
    EXPECT_EQ(s.person().faceRef[0], ref);
    EXPECT_GE(s.stats(0).current, s.stats(1).current);
    EXPECT_GE(s.stats(1).current, s.stats(2).current);
    EXPECT_GT(ui::ProfileBars::barWidth(s.stats(0).current, 400),
              ui::ProfileBars::barWidth(s.stats(2).current, 400));
    EXPECT_TRUE(s.changed());
    const auto menu = sheet->faceMenu(0);
    EXPECT_EQ(menu->title(), QStringLiteral("Face 1"));
}

class BrowsePageTest : public RegistrationWindowsTest {
  protected:
    std::unique_ptr<ui::BrowsePage> page;
    int changes = 0;
    void SetUp() override {
        RegistrationWindowsTest::SetUp();
        enrol(1, {1, 2});
        enrol(2, {1});
        enrol(3, {1});
        page = std::make_unique<ui::BrowsePage>(
            *env, base, settings, [this] { ++changes; }, nullptr);
        page->show();
    }
    void TearDown() override {
        page.reset();
        RegistrationWindowsTest::TearDown();
    }
    QString entry(int row) {
        return page->list()->topLevelItem(row)->data(0, Qt::UserRole + 1).toString();
    }
};

TEST_F(BrowsePageTest, ListsEntriesWithTheCounterAndStepsThroughFaces) {
    ASSERT_EQ(page->list()->topLevelItemCount(), 3);
    EXPECT_EQ(entry(0), QStringLiteral("2|P01|Person 1"));
    EXPECT_EQ(page->recordCounter()->text(), QStringLiteral("1 of 3"));
    EXPECT_EQ(page->faceCaption()->text(), QStringLiteral("Face 1 of 2"));
    EXPECT_FALSE(page->button(QStringLiteral("Previous"))->isEnabled());
    page->nextFace();
    EXPECT_EQ(page->faceCaption()->text(), QStringLiteral("Face 2 of 2"));
    EXPECT_FALSE(page->button(QStringLiteral("Next"))->isEnabled());
    EXPECT_TRUE(page->faceView()->panel().snapshot().pictureValid);
    ASSERT_TRUE(page->select(QStringLiteral("P03")));
    EXPECT_EQ(page->recordCounter()->text(), QStringLiteral("3 of 3"));
    EXPECT_EQ(page->faceCaption()->text(), QStringLiteral("Face 1 of 1"));
}

TEST_F(BrowsePageTest, DoubleClicksToggleTheAccessBitsOfTheStoredPerson) {
    page->doubleClicked(ui::BrowsePage::kAdminColumn);
    EXPECT_EQ(stored("P01").access, persons::kAccessAdmin | persons::kAccessEnabled);
    page->doubleClicked(ui::BrowsePage::kEnabledColumn);
    const persons::PersonRecord p = stored("P01");
    EXPECT_EQ(p.access, persons::kAccessAdmin);
    EXPECT_EQ(p.faceCount, 2);  // the faces stay as they were
    EXPECT_EQ(entry(0), QStringLiteral("1|P01|Person 1"));
    EXPECT_EQ(changes, 2);
}

TEST_F(BrowsePageTest, DeleteAsksAndRemovesThePerson) {
    ASSERT_TRUE(page->select(QStringLiteral("P02")));
    {
        ModalAnswerer no(kNo);
        page->deletePerson();
        EXPECT_EQ(no.texts(), QStringList{"Confirm deletion of person \"P02\"."});
    }
    EXPECT_EQ(page->list()->topLevelItemCount(), 3);
    ModalAnswerer yes(kYes);
    page->deletePerson();
    EXPECT_EQ(page->list()->topLevelItemCount(), 2);
    persons::PersonRecord gone;
    base.findByUserId("P02", gone);
    EXPECT_FALSE(gone.stored());
    EXPECT_EQ(changes, 1);
}

TEST_F(BrowsePageTest, ModifyOpensTheSheetOnTheSelectedPerson) {
    ASSERT_TRUE(page->select(QStringLiteral("P03")));
    QString shownId;
    page->setDialogRunner([&](QDialog& dialog) {
        auto& sheet = dynamic_cast<ui::ModifySheet&>(dialog);
        shownId = sheet.userInfo()->userId()->text();
        sheet.userInfo()->userId()->setText(QStringLiteral("cARL"));
        sheet.accept();
        return static_cast<int>(dialog.result());
    });
    page->doubleClicked(ui::BrowsePage::kNameColumn);
    EXPECT_EQ(shownId, QStringLiteral("P03"));
    EXPECT_EQ(stored("Carl").faceCount, 1);
    EXPECT_EQ(page->list()->currentItem()->text(ui::BrowsePage::kUserIdColumn),
              QStringLiteral("Carl"));
}

TEST_F(RegistrationWindowsTest, ReregistrationGivesEveryFaceItsDescriptorAgain) {
    enrol(1, {1, 2});
    enrol(2, {1});
    ASSERT_EQ(base.deletePerson("P02"), 0);
    const persons::PersonRecord first = stored("P01");
    const std::uint8_t* d = first.faces[0]->descriptor.data();
    const std::vector<std::uint8_t> before(d, d + 3072);
    int calls = 0;
    ui::ReregisterDialog dialog(
        base,
        [&](const std::uint8_t* picture, std::uint16_t w, std::uint16_t h,
            std::uint8_t* descriptor) {
            ++calls;
            return facelib::process(picture, w, h, descriptor);
        },
        nullptr);
    const registration::ReprocessResult r = dialog.run();
    EXPECT_EQ(r.rc, 0);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(r.reprocessed, 2u);
    EXPECT_EQ(base.personCount(), 1u);
    const persons::PersonRecord p = stored("P01");
    ASSERT_EQ(p.faceCount, 2);
    // The same picture with the same configuration gives the same descriptor.
    EXPECT_TRUE(std::equal(before.begin(), before.end(), p.faces[0]->descriptor.data()));
}

TEST_F(RegistrationWindowsTest, ReregistrationStopWaitsForTheWorkersEnd) {
    enrol(1, {1, 2, 3});
    enrol(2, {1, 2, 3});
    std::atomic<int> calls{0};
    std::unique_ptr<ui::ReregisterDialog> dialog;
    dialog = std::make_unique<ui::ReregisterDialog>(
        base,
        [&](const std::uint8_t* picture, std::uint16_t w, std::uint16_t h,
            std::uint8_t* descriptor) {
            // The first face asks for the stop and is still being made when it comes.
            if (++calls == 1) {
                QMetaObject::invokeMethod(
                    dialog.get(), [&] { dialog->stop(); }, Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            return facelib::process(picture, w, h, descriptor);
        },
        nullptr);
    const registration::ReprocessResult r = dialog->run();
    EXPECT_TRUE(r.stopped);
    EXPECT_LT(calls.load(), 6);
    EXPECT_FALSE(dialog->isVisible());
    // Every person is still whole.
    EXPECT_EQ(stored("P01").faceCount, 3);
    EXPECT_EQ(stored("P02").faceCount, 3);
}

}  // namespace
}  // namespace ui_test
