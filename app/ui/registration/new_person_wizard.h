#pragma once
// The "Add record" wizard: the user information, the face capturing (the capture worker
// with a device, image files without one) and the summary; Finish stores the person.
// Modal; UI thread only; the worker's reports come back through queued calls.

#include <QWizard>
#include <functional>
#include <memory>

#include "identify/library_seams.h"
#include "panel_view.h"
#include "persons/person_base.h"
#include "registration/enrolment.h"
#include "registration/sheet.h"
#include "settings/app_settings.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace ui {

class UserInfoFields;

class NewPersonWizard final : public QWizard {
  public:
    enum PageId { kInfoPage = 0, kCapturePage = 1, kSummaryPage = 2 };

    // stored() is called after the person was stored.
    NewPersonWizard(const PanelEnvironment& environment, persons::PersonBase& base,
                    const settings::AppSettings& settings, std::function<void()> stored,
                    QWidget* parent);
    ~NewPersonWizard() override;  // stops the worker and the live video first

    UserInfoFields* userInfo() const { return info_; }
    PanelView* livePanel() const { return live_; }
    PanelView* capturedPanel() const { return captured_; }
    QPushButton* captureButton() const { return capture_; }
    QPushButton* skipButton() const { return skip_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* captureStatus() const { return status_; }
    QLabel* summary() const { return summary_; }
    int faceCount() const;
    bool automaticPhase() const;
    // The person's user ID as stored (normalised at Finish).
    const std::string& sheetUserId() const { return sheet_.person().userId; }
    // The result of the last store (0 when stored); -1 before Finish.
    int storeResult() const { return storeResult_; }

    // "&Capture" without a device, with the file already chosen.
    bool loadImage(const QString& path);
    // "&Add" / "&Capture" and "&Skip".
    void pressCapture();
    void pressSkip();

    // Finish: stores the person. Cancel: asks first when a user ID or name was typed.
    void accept() override;
    void reject() override;

  private:
    class InfoPage;
    class CapturePage;
    class SummaryPage;
    class WorkerView;
    friend class InfoPage;
    friend class CapturePage;
    friend class SummaryPage;

    bool leaveInfoPage();
    void enterCapturePage();
    void leaveCapturePage(bool discard);
    void fillSummary();
    void added(int count);
    void offered();
    void complete();
    void showScore(std::int32_t score);
    void updateCaptureButtons();
    bool withDevice() const;

    PanelEnvironment env_;
    persons::PersonBase& base_;
    const settings::AppSettings& settings_;
    std::function<void()> stored_;
    registration::RegistrationSheet sheet_;
    identify::LibraryFaceMatcher matcher_;
    std::unique_ptr<identify::PanelFrameSource> frames_;
    std::unique_ptr<WorkerView> view_;
    std::unique_ptr<registration::EnrolmentWorker> worker_;

    UserInfoFields* info_ = nullptr;
    PanelView* live_ = nullptr;
    PanelView* captured_ = nullptr;
    QPushButton* capture_ = nullptr;
    QPushButton* skip_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QProgressBar* score_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* summary_ = nullptr;
    CapturePage* capturePage_ = nullptr;
    bool fileLoaded_ = false;  // without a device: a processed file waits for "&Add"
    identify::Probe fileFrame_;
    QString lastPath_;
    int storeResult_ = -1;
};

}  // namespace ui
