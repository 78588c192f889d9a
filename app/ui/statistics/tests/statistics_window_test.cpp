// The statistics window over generated faces: its fields and their states, "Use user
// list", a run stopped, stepped and continued against an uninterrupted one and the command
// line's, the messages, the log's overwrite question and the log view.

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <fstream>
#include <sstream>

#include "facegen.h"
#include "facelib/face_library.h"
#include "stat_log_view.h"
#include "statistics_window.h"
#include "stats/library_matcher.h"
#include "stats/stat_log.h"
#include "texts.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

using State = ui::StatisticsWindow::RunState;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The log without the lines that hold times.
std::string withoutTimes(const std::string& log) {
    static const char* const kTimed[] = {"Start matching", "Finish matching", "Total matching time",
                                         "Processing time (sec)", "Matching time (sec)"};
    std::istringstream in(log);
    std::string line, kept;
    while (std::getline(in, line)) {
        bool timed = false;
        for (const char* t : kTimed) timed = timed || line.rfind(t, 0) == 0;
        if (!timed) kept += line + "\n";
    }
    return kept;
}

class StatisticsWindowTest : public MainWindowTest {
  protected:
    static constexpr int kPersons = 3, kImages = 2, kSetSize = kPersons * kImages;
    QString previousDir;
    std::unique_ptr<ui::StatisticsWindow> win;

    void SetUp() override {
        MainWindowTest::SetUp();
        previousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        device = std::make_unique<capture::CaptureDevice>(libraries, frames.sink());
        ui::PanelEnvironment env{*device, clipboard, frames, registry, [] { return 2; }};
        win = std::make_unique<ui::StatisticsWindow>(env, base, nullptr);
    }
    void TearDown() override {
        win.reset();
        QDir::setCurrent(previousDir);
        MainWindowTest::TearDown();
        facelib::done();
    }
    QString path(const std::string& name) const {
        return QString::fromStdString((dir.path() / name).string());
    }
    // Generated faces "0000PPII.TIF" in dir/set; the source path of them.
    QString faceSet() {
        std::string error;
        EXPECT_TRUE(
            facegen::writeFaceSet((dir.path() / "set").string(), kPersons, kImages, 7, error))
            << error;
        return path("set") + "/*.TIF";
    }
    void waitFor(std::initializer_list<State> states) {
        auto reached = [&] {
            for (State s : states)
                if (win->runState() == s) return true;
            return false;
        };
        while (!reached()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();  // reports queued before the last one
    }
    // Starts a run that stops after at most one step; returns the pairs matched so far.
    int startStopped() {
        win->startOrToggle();
        EXPECT_EQ(win->runState(), State::Running);
        win->startOrToggle();
        waitFor({State::Stopped});
        return win->matched()->text().toInt();
    }
    void runToTheEnd() {
        win->startOrToggle();
        waitFor({State::Idle});
    }
};

TEST_F(StatisticsWindowTest, FieldsStartWithTheirInitialValuesAndStates) {
    const QString here = QDir::currentPath() + "/";
    EXPECT_EQ(win->sourcePath()->text(), here + "*.TIF");
    EXPECT_EQ(win->destPath()->text(), here + "*.TIF");
    EXPECT_EQ(win->logFile()->text(), here + "OVFC.LOG");
    EXPECT_EQ(win->sampleMask()->text(), "0000*");
    EXPECT_EQ(win->ownMask()->text(), "0000^^*");
    EXPECT_TRUE(win->invalidateCache()->isChecked());
    EXPECT_FALSE(win->useUserList()->isChecked());
    EXPECT_FALSE(win->differentPaths()->isChecked());
    EXPECT_FALSE(win->ignoreErrors()->isChecked());
    EXPECT_FALSE(win->overwriteLog()->isChecked());
    EXPECT_TRUE(win->trimByNumber()->isChecked());
    EXPECT_FALSE(win->trimByScore()->isChecked());
    EXPECT_EQ(win->trimAt()->value(), 20);
    EXPECT_EQ(win->startButton()->text(), "&Start");
    EXPECT_TRUE(win->startButton()->isEnabled());
    EXPECT_FALSE(win->stepButton()->isEnabled());
    EXPECT_FALSE(win->finishButton()->isEnabled());
    EXPECT_FALSE(win->viewLogButton()->isEnabled()) << "no log file yet";
    EXPECT_FALSE(win->destPath()->isEnabled());
    EXPECT_EQ(win->windowTitle(), "Generate statistics");
    EXPECT_EQ(win->sample()->objectName(), "Statistic.left");
    EXPECT_EQ(win->registered()->objectName(), "Statistic.right");
    EXPECT_EQ(win->logView()->lines()->font().family(), "Courier");
    EXPECT_EQ(win->logView()->lines()->font().pixelSize(), 15);
}

TEST_F(StatisticsWindowTest, DestPathFollowsTheSourceUnlessDifferentPathsAreUsed) {
    win->sourcePath()->setText("/a/*.TIF");
    EXPECT_EQ(win->destPath()->text(), "/a/*.TIF");
    win->differentPaths()->setChecked(true);
    EXPECT_TRUE(win->destPath()->isEnabled());
    win->destPath()->setText("/b/*.PIC");
    win->sourcePath()->setText("/c/*.TIF");
    EXPECT_EQ(win->destPath()->text(), "/b/*.PIC");
    EXPECT_EQ(win->runSettings().destPath, "/b/*.PIC");
    win->differentPaths()->setChecked(false);
    EXPECT_EQ(win->runSettings().destPath, "") << "the source's set is the registered set";
}

TEST_F(StatisticsWindowTest, ViewLogIsEnabledWhenTheLogFileExists) {
    std::ofstream(dir.path() / "other.log") << "x";
    win->logFile()->setText(path("other.log"));
    EXPECT_TRUE(win->viewLogButton()->isEnabled());
}

TEST_F(StatisticsWindowTest, UserListReplacesAndDisablesTheSetFieldsAndRestoresThem) {
    win->sourcePath()->setText("/faces/*.PIC");
    win->differentPaths()->setChecked(true);
    win->destPath()->setText("/other/*.PIC");
    win->sampleMask()->setText("01*");
    win->ownMask()->setText("01^*");

    win->useUserList()->setChecked(true);
    EXPECT_EQ(win->sourcePath()->text(), QString::fromStdString(base.folder()) + "*.TIF");
    EXPECT_EQ(win->sampleMask()->text(), "*");
    EXPECT_EQ(win->ownMask()->text(), "#?");
    for (QWidget* w :
         {static_cast<QWidget*>(win->sourcePath()), static_cast<QWidget*>(win->destPath()),
          static_cast<QWidget*>(win->sampleMask()), static_cast<QWidget*>(win->ownMask()),
          static_cast<QWidget*>(win->differentPaths()), static_cast<QWidget*>(win->sourceBrowse())})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(win->logFile()->isEnabled());
    const stats::StatSettings s = win->runSettings();
    EXPECT_TRUE(s.sameNameIsOwn);
    EXPECT_EQ(s.destPath, "");

    win->useUserList()->setChecked(false);
    EXPECT_EQ(win->sourcePath()->text(), "/faces/*.PIC");
    EXPECT_TRUE(win->differentPaths()->isChecked());
    EXPECT_EQ(win->destPath()->text(), "/other/*.PIC");
    EXPECT_EQ(win->sampleMask()->text(), "01*");
    EXPECT_EQ(win->ownMask()->text(), "01^*");
    EXPECT_TRUE(win->sourcePath()->isEnabled());
    EXPECT_TRUE(win->destPath()->isEnabled());
    EXPECT_TRUE(win->sourceBrowse()->isEnabled());
}

TEST_F(StatisticsWindowTest, AnEmptyFolderGivesImagesNotFound) {
    fs::create_directories(dir.path() / "empty");
    win->sourcePath()->setText(path("empty") + "/*.TIF");
    ModalAnswerer answers;
    win->startOrToggle();
    EXPECT_EQ(answers.texts(), QStringList{"Images not found!"});
    EXPECT_EQ(win->runState(), State::Idle);
    EXPECT_FALSE(win->finishButton()->isEnabled());
    EXPECT_FALSE(fs::exists(dir.path() / "OVFC.LOG"));
}

TEST_F(StatisticsWindowTest, StoppedSteppedAndContinuedRunWritesTheUninterruptedLog) {
    win->sourcePath()->setText(faceSet());
    win->overwriteLog()->setChecked(true);

    win->logFile()->setText(path("whole.log"));
    runToTheEnd();
    EXPECT_EQ(win->statusText()->text(), "Statistic batch complete.");
    EXPECT_EQ(win->matched()->text(), QString::number(kSetSize * kSetSize));
    EXPECT_EQ(win->totalImages()->text(), QString::number(kSetSize * kSetSize));
    const std::string whole = readFile(dir.path() / "whole.log");
    ASSERT_TRUE(stats::isStatLog((dir.path() / "whole.log").string())) << whole;
    EXPECT_EQ(whole.find("User break"), std::string::npos) << whole;
    EXPECT_EQ(whole.find("errors       :"), std::string::npos) << whole;

    win->logFile()->setText(path("parts.log"));
    const int first = startStopped();
    EXPECT_EQ(win->startButton()->text(), "&Continue");
    EXPECT_TRUE(win->stepButton()->isEnabled());
    EXPECT_TRUE(win->finishButton()->isEnabled());
    EXPECT_EQ(win->statusText()->text(), ui::appText(appstrings::kStatStopped));
    for (int k = 1; k <= 2; ++k) {
        win->stepOnce();
        QCoreApplication::processEvents();
        EXPECT_EQ(win->matched()->text().toInt(), first + k) << "one step is one pair";
        EXPECT_EQ(win->runState(), State::Stopped);
    }
    win->startOrToggle();  // Continue
    EXPECT_EQ(win->startButton()->text(), "&Stop");
    waitFor({State::Idle});
    const std::string parts = readFile(dir.path() / "parts.log");
    EXPECT_EQ(withoutTimes(parts), withoutTimes(whole));

    // The command line's run of the same set with the same configuration.
    const fs::path cli = dir.path() / "cli.log";
    const std::string command = std::string(OVFC_BIN_DIR) + "/ovfc stats --source '" +
                                (dir.path() / "set").string() + "/*.TIF' --log " + cli.string() +
                                " --overwrite --invalidate-cache --config " +
                                OVFC_SYNTHETIC_CONFIG + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(withoutTimes(readFile(cli)), withoutTimes(whole));
}

TEST_F(StatisticsWindowTest, StepShowsTheCurrentSampleAndRegisteredImage) {
    win->sourcePath()->setText(faceSet());
    win->overwriteLog()->setChecked(true);
    const int first = startStopped();
    EXPECT_TRUE(win->workTimer().isActive());
    win->stepOnce();
    QCoreApplication::processEvents();
    const auto left = win->sample()->panel().snapshot();
    const auto right = win->registered()->panel().snapshot();
    EXPECT_TRUE(left.pictureValid);
    EXPECT_TRUE(left.faceProcessed) << "the sample is shown with its elements";
    EXPECT_TRUE(right.pictureValid);
    // Pair `first` (0-based) was the step's: sample first / M, registered first % M.
    const int sample = first / kSetSize, reg = first % kSetSize;
    EXPECT_EQ(left.label, facegen::frameFileName(sample / kImages + 1, sample % kImages + 1));
    EXPECT_EQ(right.label, facegen::frameFileName(reg / kImages + 1, reg % kImages + 1));

    win->finishRun();
    waitFor({State::Idle});
    EXPECT_FALSE(win->workTimer().isActive());
    EXPECT_FALSE(win->sample()->panel().snapshot().pictureValid);
    EXPECT_FALSE(win->registered()->panel().snapshot().pictureValid);
}

TEST_F(StatisticsWindowTest, FinishWhileStoppedLogsTheUserBreak) {
    win->sourcePath()->setText(faceSet());
    win->overwriteLog()->setChecked(true);
    startStopped();
    win->stepOnce();
    QCoreApplication::processEvents();
    const int done = win->matched()->text().toInt();
    win->finishRun();
    waitFor({State::Idle});
    EXPECT_EQ(win->statusText()->text(), "User cancelled operation");
    EXPECT_EQ(win->startButton()->text(), "&Start");
    EXPECT_FALSE(win->finishButton()->isEnabled());
    EXPECT_TRUE(win->viewLogButton()->isEnabled());
    const std::string log = readFile(dir.path() / "OVFC.LOG");
    const std::string expected = "User break occurs at : " + std::to_string(done / kSetSize + 1) +
                                 "/" + std::to_string(done % kSetSize + 1) + "\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
}

TEST_F(StatisticsWindowTest, AFailureStopsTheRunWithItsErrorText) {
    win->sourcePath()->setText(faceSet());
    win->overwriteLog()->setChecked(true);
    const fs::path junk = dir.path() / "set" / "00000100.TIF";  // the first sample
    std::ofstream(junk) << "not an image";
    stats::Picture picture;
    const int rc = stats::LibraryMatcher().load(junk.string(), picture);
    ASSERT_NE(rc, 0);

    ModalAnswerer answers;
    win->startOrToggle();
    waitFor({State::Stopped});
    while (answers.texts().isEmpty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(answers.texts(), QStringList{ui::faceErrorText(rc)});
    EXPECT_EQ(win->errors()->text(), "1");
    EXPECT_EQ(win->startButton()->text(), "&Continue");
    EXPECT_EQ(win->matched()->text(), QString::number(kSetSize + 1))
        << "the failed sample's row is passed over";
}

TEST_F(StatisticsWindowTest, CancellingTheOverwriteQuestionKeepsTheOldLog) {
    win->sourcePath()->setText(faceSet());
    std::ofstream(dir.path() / "OVFC.LOG") << "keep me\n";
    ModalAnswerer answers(QMessageBox::Cancel);
    runToTheEnd();
    EXPECT_EQ(answers.texts(), QStringList{"Log file already exist. Overwrite?"});
    EXPECT_EQ(readFile(dir.path() / "OVFC.LOG"), "keep me\n");
}

TEST_F(StatisticsWindowTest, ViewLogShowsTheLinesDecodedAndCloses) {
    const std::string line(47, '\xC4');
    ASSERT_TRUE(stats::writeStatLog((dir.path() / "OVFC.LOG").string(),
                                    line + "\n  1  <00000101>\n     \x10"
                                           "00000102    (1)\n"));
    win->logFile()->setText(path("OVFC.LOG"));
    ASSERT_TRUE(win->viewLog());
    EXPECT_TRUE(win->logViewShown());
    EXPECT_TRUE(win->findChild<QWidget*>("controls")->isHidden());
    EXPECT_EQ(win->windowTitle(), "Generate statistics - " + path("OVFC.LOG"));
    QListWidget* list = win->logView()->lines();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QString(47, QChar(0x2500)));
    EXPECT_EQ(list->item(1)->text(), "  1  <00000101>");
    EXPECT_EQ(list->item(2)->text(), QStringLiteral(u"     \u25BA00000102    (1)"));

    win->closeLogView();
    EXPECT_FALSE(win->logViewShown());
    EXPECT_FALSE(win->findChild<QWidget*>("controls")->isHidden());
    EXPECT_EQ(win->windowTitle(), "Generate statistics");
}

TEST_F(StatisticsWindowTest, ViewLogRefusesAFileThatIsNoLog) {
    std::ofstream(dir.path() / "OVFC.LOG") << "just text\n";
    win->logFile()->setText(path("OVFC.LOG"));
    ModalAnswerer answers;
    EXPECT_FALSE(win->viewLog());
    EXPECT_EQ(answers.texts(), QStringList{"Bad logfile format."});
    EXPECT_FALSE(win->logViewShown());
    EXPECT_EQ(win->windowTitle(), "Generate statistics");
}

TEST_F(StatisticsWindowTest, EscapeLeavesTheLogViewAndClosingEndsBoth) {
    ASSERT_TRUE(stats::writeStatLog((dir.path() / "OVFC.LOG").string(), std::string(47, '\xC4')));
    win->logFile()->setText(path("OVFC.LOG"));
    win->show();
    ASSERT_TRUE(win->viewLog());
    win->reject();  // Escape
    EXPECT_FALSE(win->logViewShown());
    EXPECT_TRUE(win->isVisible());

    ASSERT_TRUE(win->viewLog());
    EXPECT_TRUE(win->close()) << "a shown log must not keep the window (and the program) open";
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(win->logViewShown());
    EXPECT_EQ(win->windowTitle(), "Generate statistics");
}

}  // namespace
}  // namespace ui_test
