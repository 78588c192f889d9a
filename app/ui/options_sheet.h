#pragma once
// The "Properties" sheet: the "Application" page (element display style, search order and
// stops, the manual-registration face amount, the search timeout) and the "Facial
// Recognition library" page (thresholds, element and descriptor counts, face caching,
// gamma, overall performance). OK and Apply store both pages; each page has "Defaults".
// UI thread only.

#include <QDialog>
#include <functional>

#include "options/app_options.h"
#include "options/library_options.h"
#include "settings/app_settings.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace ui {

class OptionsSheet final : public QDialog {
  public:
    // applied() runs after each Apply with the library page's result (0 or a face library
    // code), so the owner can save its settings and redraw.
    // calls: the face library's parameters (tests give their own).
    OptionsSheet(settings::AppSettings& settings, options::LibraryCalls calls,
                 std::function<void(int rc)> applied, QWidget* parent);

    // Stores both pages; the library page's result.
    int apply();
    void appDefaults();
    void libraryDefaults();

  private:
    QWidget* buildAppPage();
    QWidget* buildLibraryPage();
    void showApp(const options::AppOptions& o);
    void showLibrary(const options::LibraryOptions& o);
    options::AppOptions appFromControls() const;
    options::LibraryOptions libraryFromControls() const;

    settings::AppSettings& settings_;
    options::LibraryCalls calls_;
    std::function<void(int)> applied_;
    QTabWidget* tabs_ = nullptr;
    // Application page.
    QButtonGroup* styles_ = nullptr;
    QAbstractButton* optimized_ = nullptr;
    QAbstractButton* sequential_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QCheckBox* firstMatched_ = nullptr;
    QCheckBox* onlyMatched_ = nullptr;
    QSlider* faceAmount_ = nullptr;
    QSpinBox* timeout_ = nullptr;
    // Library page.
    QSlider* ownThreshold_ = nullptr;
    QSlider* searchThreshold_ = nullptr;
    QSlider* elements_ = nullptr;
    QSlider* descriptors_ = nullptr;
    QSlider* caching_ = nullptr;
    QCheckBox* gamma_ = nullptr;
    QSlider* performance_ = nullptr;
};

}  // namespace ui
