#include "options_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ui {

namespace {

// A control's object name: its text without the mnemonic mark.
QString plain(const QString& text) {
    QString s = text;
    return s.remove('&').remove(':').trimmed();
}

QSlider* trackBar(int low, int high, int tick, int page,
                  Qt::Orientation orientation = Qt::Horizontal) {
    auto* s = new QSlider(orientation);
    s->setRange(low, high);
    s->setTickInterval(tick);
    s->setTickPosition(QSlider::TicksBelow);
    s->setPageStep(page);
    s->setSingleStep(1);
    return s;
}

// A track bar with its caption and the value it shows.
QWidget* labelled(
    QFormLayout* form, const QString& caption, QSlider* slider,
    std::function<QString(int)> text = [](int v) { return QString::number(v); }) {
    slider->setObjectName(plain(caption));
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* value = new QLabel(text(slider->value()));
    value->setObjectName(plain(caption) + QStringLiteral(".value"));
    value->setMinimumWidth(56);
    QObject::connect(slider, &QSlider::valueChanged, value,
                     [value, text](int v) { value->setText(text(v)); });
    layout->addWidget(slider, 1);
    layout->addWidget(value);
    auto* label = new QLabel(caption);
    label->setBuddy(slider);
    form->addRow(label, row);
    return row;
}

constexpr const char* kStyleTexts[] = {
    "&Bright spots",   "&Color spots",           "Color &map",
    "Color &ellipses", "Equal potential &lines", "Prec&ise crosses"};

QString performanceText(int level) {
    static const char* const texts[] = {"Faster", "Optimal", "Precise"};
    return level >= 0 && level <= 2 ? texts[level] : QString();
}

QString cachingText(int position) {
    static const char* const texts[] = {"Advanced", "Base", "Disable"};
    return position >= -2 && position <= 0 ? texts[position + 2] : QString();
}

}  // namespace

OptionsSheet::OptionsSheet(settings::AppSettings& settings, options::LibraryCalls calls,
                           std::function<void(int)> applied, QWidget* parent)
    : QDialog(parent), settings_(settings), calls_(std::move(calls)), applied_(std::move(applied)) {
    setObjectName(QStringLiteral("OPTIONS"));
    setWindowTitle(QStringLiteral("Properties"));
    tabs_ = new QTabWidget;
    tabs_->addTab(buildAppPage(), QStringLiteral("Application"));
    tabs_->addTab(buildLibraryPage(), QStringLiteral("Facial Recognition library"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Apply);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { apply(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    showApp(options::appOptionsFrom(settings_));
    showLibrary(options::readLibraryOptions(calls_));
}

QWidget* OptionsSheet::buildAppPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("OPTIONSAPP"));
    auto* styleBox = new QGroupBox(QStringLiteral("Face elements"));
    auto* styleLayout = new QVBoxLayout(styleBox);
    styles_ = new QButtonGroup(page);
    for (int k = 0; k < 6; ++k) {
        auto* b = new QRadioButton(kStyleTexts[k]);
        b->setObjectName(plain(kStyleTexts[k]));
        styles_->addButton(b, k + 1);
        styleLayout->addWidget(b);
    }

    auto* searchBox = new QGroupBox(QStringLiteral("Search"));
    auto* searchLayout = new QVBoxLayout(searchBox);
    auto* optimized = new QRadioButton(QStringLiteral("&Optimized search algorithm"));
    auto* sequential = new QRadioButton(QStringLiteral("Sequential search &algorithm"));
    optimized->setObjectName(plain(optimized->text()));
    sequential->setObjectName(plain(sequential->text()));
    optimized_ = optimized;
    sequential_ = sequential;
    reverse_ = new QCheckBox(QStringLiteral("&Reverse search order"));
    firstMatched_ = new QCheckBox(QStringLiteral("S&top after first recognized user"));
    onlyMatched_ = new QCheckBox(QStringLiteral("Show recognized users o&nly"));
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             optimized, sequential, reverse_, firstMatched_, onlyMatched_}) {
        b->setObjectName(plain(b->text()));
        searchLayout->addWidget(b);
    }

    auto* form = new QFormLayout;
    faceAmount_ = trackBar(1, 8, 1, 1);
    labelled(form, QStringLiteral("&Faces for manual registration:"), faceAmount_);
    timeout_ = new QSpinBox;
    timeout_->setRange(0, 255);
    timeout_->setSuffix(QStringLiteral(" s"));
    timeout_->setObjectName(QStringLiteral("Search timeout"));
    form->addRow(QStringLiteral("Search &timeout:"), timeout_);

    auto* defaults = new QPushButton(QStringLiteral("&Defaults"));
    defaults->setObjectName(QStringLiteral("OPTIONSAPP.Defaults"));
    connect(defaults, &QPushButton::clicked, this, [this] { appDefaults(); });

    auto* grid = new QGridLayout(page);
    grid->addWidget(styleBox, 0, 0, 2, 1);
    grid->addWidget(searchBox, 0, 1);
    grid->addLayout(form, 1, 1);
    grid->addWidget(defaults, 2, 1, Qt::AlignRight);
    return page;
}

QWidget* OptionsSheet::buildLibraryPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("OPTIONSLIB"));
    auto* form = new QFormLayout;
    ownThreshold_ = trackBar(0, 400, 10, 10);
    labelled(form, QStringLiteral("&Own score threshold:"), ownThreshold_);
    searchThreshold_ = trackBar(0, 400, 10, 10);
    labelled(form, QStringLiteral("&Search score threshold:"), searchThreshold_);
    elements_ = trackBar(3, 8, 1, 1);
    labelled(form, QStringLiteral("Number of face &elements:"), elements_);
    descriptors_ = trackBar(3, 9, 1, 1);
    labelled(form, QStringLiteral("Number of elements &descriptors:"), descriptors_);
    performance_ = trackBar(0, 2, 1, 1);
    labelled(form, QStringLiteral("O&verall perfomance:"), performance_, performanceText);
    gamma_ = new QCheckBox(QStringLiteral("I&mage gamma correction"));
    gamma_->setObjectName(plain(gamma_->text()));
    form->addRow(QString(), gamma_);

    auto* cachingBox = new QGroupBox(QStringLiteral("Face &caching:"));
    auto* cachingLayout = new QHBoxLayout(cachingBox);
    caching_ = trackBar(-2, 0, 1, 1, Qt::Vertical);
    caching_->setObjectName(QStringLiteral("Face caching"));
    caching_->setInvertedAppearance(true);  // "Advanced" at the top
    auto* cachingLabels = new QVBoxLayout;
    for (int p = -2; p <= 0; ++p) {
        cachingLabels->addWidget(new QLabel(cachingText(p)));
        if (p < 0) cachingLabels->addStretch();
    }
    cachingLayout->addWidget(caching_);
    cachingLayout->addLayout(cachingLabels);

    auto* defaults = new QPushButton(QStringLiteral("&Defaults"));
    defaults->setObjectName(QStringLiteral("OPTIONSLIB.Defaults"));
    connect(defaults, &QPushButton::clicked, this, [this] { libraryDefaults(); });

    auto* grid = new QGridLayout(page);
    grid->addLayout(form, 0, 0);
    grid->addWidget(cachingBox, 0, 1);
    grid->addWidget(defaults, 1, 1, Qt::AlignRight);
    return page;
}

void OptionsSheet::showApp(const options::AppOptions& o) {
    if (QAbstractButton* b = styles_->button(o.showElements)) b->setChecked(true);
    optimized_->setChecked(o.optimizedSearch);
    sequential_->setChecked(!o.optimizedSearch);
    reverse_->setChecked(o.reverseOrder);
    firstMatched_->setChecked(o.firstMatched);
    onlyMatched_->setChecked(o.showOnlyMatched);
    faceAmount_->setValue(o.faceAmount);
    timeout_->setValue(o.timeout);
}

void OptionsSheet::showLibrary(const options::LibraryOptions& o) {
    ownThreshold_->setValue(o.ownThreshold);
    searchThreshold_->setValue(o.searchThreshold);
    elements_->setValue(o.elements);
    descriptors_->setValue(o.descriptors);
    caching_->setValue(o.caching);
    gamma_->setChecked(o.gamma);
    performance_->setValue(static_cast<int>(o.performance));
}

options::AppOptions OptionsSheet::appFromControls() const {
    options::AppOptions o = options::appOptionsFrom(settings_);
    const int style = styles_->checkedId();
    if (style >= 1) o.showElements = static_cast<std::uint8_t>(style);
    o.optimizedSearch = optimized_->isChecked();
    o.reverseOrder = reverse_->isChecked();
    o.firstMatched = firstMatched_->isChecked();
    o.showOnlyMatched = onlyMatched_->isChecked();
    o.faceAmount = faceAmount_->value();
    o.timeout = timeout_->value();
    return o;
}

options::LibraryOptions OptionsSheet::libraryFromControls() const {
    options::LibraryOptions o;
    o.ownThreshold = ownThreshold_->value();
    o.searchThreshold = searchThreshold_->value();
    o.elements = elements_->value();
    o.descriptors = descriptors_->value();
    o.caching = caching_->value();
    o.gamma = gamma_->isChecked();
    o.performance = static_cast<options::Performance>(performance_->value());
    return o;
}

int OptionsSheet::apply() {
    options::applyAppOptions(appFromControls(), settings_);
    const int rc = options::applyLibraryOptions(libraryFromControls(), settings_, calls_);
    if (applied_) applied_(rc);
    return rc;
}

void OptionsSheet::appDefaults() {
    showApp(options::appDefaults());
}

void OptionsSheet::libraryDefaults() {
    showLibrary(options::libraryDefaults());
}

}  // namespace ui
